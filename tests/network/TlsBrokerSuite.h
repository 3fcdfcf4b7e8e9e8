#pragma once

// The base of test suites that talk to a TLS broker with passwords: one broker for all
// tests of a suite (its certificates take a while to make), running at the start of
// each test (a test may stop it).

#include <gtest/gtest.h>

#include <string>

#include "MosquittoBroker.h"
#include "network/MqttSettings.h"

namespace zuva::network::testing {

class TlsBrokerSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() { broker_ = new MosquittoBroker(true); }
    static void TearDownTestSuite() {
        delete broker_;
        broker_ = nullptr;
    }
    void SetUp() override { broker_->start(); }

    // The broker's address and CA with this login; the client id is the user name.
    static MqttSettings login(const std::string& user, const std::string& password) {
        MqttSettings m;
        m.host = "127.0.0.1";
        m.port = broker_->port();
        m.username = user;
        m.clientId = user;
        m.password = password;
        m.caFile = broker_->certificates().ca;
        return m;
    }

    static inline MosquittoBroker* broker_ = nullptr;
};

}  // namespace zuva::network::testing
