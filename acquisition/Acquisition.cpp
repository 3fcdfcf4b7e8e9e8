#include "acquisition/Acquisition.h"

namespace zuva::acquisition {

Acquisition::Acquisition(const Services& services)
    : services_(services),
      guardedLog_(services.log),
      log_(guardedLog_, services.clock),
      control_(services.port, log_, services.controls, services.timer, services.presence, services.panels, flags_),
      decoder_(control_, log_, services.clock, services.dataFile, services.chart, services.panels,
               services.visualization),
      receiver_(services.port, decoder_, control_, log_, services.timer, services.visualization, services.controls,
                flags_) {
    decoder_.countInto(counters_);
    receiver_.countInto(counters_);
    receiver_.boundLog(&log_);
}

void Acquisition::PrepareRun() {
    decoder_.resetForRun();
    flags_.positionRequestPending = false;
    services_.chart.ResetAxisAndSeries();
    services_.timer.start();
    ControlStates& c = services_.controls;
    c.setEnabled(Control::ComPortMenu, false);
    c.setEnabled(Control::FileMenu, false);
    c.setEnabled(Control::RemarksMenu, false);
    c.setEnabled(Control::RateBox, false);
    c.setEnabled(Control::ApplyButton, false);
    c.setEnabled(Control::AutostartBox, false);
    c.setEnabled(Control::SensitivityField, false);
    receiver_.resetForRun();
    control_.setCharacter(ControlWord::kPositionFrames, false);
}

void Acquisition::StartTransmission() {
    control_.setCharacter(ControlWord::kTransmit, true);
    log_.addlogfile("Config1= " + control_.ControlBits());
    control_.SendControlByte();
    flags_.dataMode = true;
}

void Acquisition::EndRun() {
    ControlStates& c = services_.controls;
    c.setEnabled(Control::RemarksMenu, true);
    c.setEnabled(Control::SensitivityField, true);
    c.setEnabled(Control::ApplyButton, true);
    c.setEnabled(Control::AutostartBox, true);
    decoder_.clearHeaderWritten();
    c.setEnabled(Control::RateBox, true);
    c.setEnabled(Control::FileMenu, true);
    c.setEnabled(Control::GainBox, true);
    c.setEnabled(Control::ComPortMenu, true);
    flags_.dataMode = false;
    // The counts of lines left out so far are said before the run's end.
    log_.flush();
}

void Acquisition::StopTransmission() {
    log_.addlogfile("Stop = " + services_.dataFile.DataFileName());
    control_.setCharacter(ControlWord::kTransmit, false);
    control_.SendControlByte();
}

void Acquisition::StopTransmissionWithoutPort() {
    log_.addlogfile("Stop = " + services_.dataFile.DataFileName());
    control_.setCharacter(ControlWord::kTransmit, false);
}

void Acquisition::ResumeAfterGap() {
    receiver_.resumeAfterGap();
    decoder_.resumeAfterGap();
    control_.SendControlByte();
}

}  // namespace zuva::acquisition
