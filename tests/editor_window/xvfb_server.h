// A private X server for the window tests: Xvfb on a display number it picks itself, started
// before the first test and stopped after the last one; DISPLAY names it meanwhile.
#pragma once

#include <sys/types.h>

#include <string>

#include <gtest/gtest.h>

class XvfbEnvironment : public ::testing::Environment {
  public:
    void SetUp() override;
    void TearDown() override;

  private:
    pid_t pid_ = -1;
};
