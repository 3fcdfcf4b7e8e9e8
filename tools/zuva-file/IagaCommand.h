#pragma once

namespace zuva::tools {

// zuva-file iaga [--config PATH] [--interval second|minute] [--out DIR] FILE...
// zuva-file iaga --check FILE...
// argv[0] is "iaga". Returns the exit status.
int iagaCommand(int argc, char** argv);

}  // namespace zuva::tools
