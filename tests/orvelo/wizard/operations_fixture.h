// Operations run one by one through the operation runner, each test on a
// fresh program state with empty project, boring and runner data.
#pragma once

#include <gtest/gtest.h>

#include "orvelo/model/boring_data.h"
#include "orvelo/program_fixture.h"
#include "orvelo/project/bas_data.h"
#include "orvelo/wizard/operation_runner.h"

namespace orvelotest {

template <class Param>
class OperationsTest : public ::testing::TestWithParam<Param> {
protected:
    void SetUp() override {
        ResetProgramState();
        orvelo::resetOperationRunner();
        orvelo::resetBasData();
        orvelo::resetBoringData();
    }

    void TearDown() override {
        orvelo::resetOperationRunner();
        ReleaseProgramState();
    }
};

}  // namespace orvelotest
