#pragma once

#include <gtest/gtest.h>

#include <QStringList>

#include "device/device_link.h"
#include "recording_sink.h"
#include "rules/startup_defaults.h"
#include "settings/memory_form.h"
#include "sim/simulated_tracker.h"

// A window's worth of state against a simulated tracker.
class OperationTest : public ::testing::Test {
  protected:
    OperationTest() { applyStartupDefaults(form); }

    // "<what>: first/total" .. "<what>: last/total".
    static QStringList pageLines(const char* what, int first, int last, int total) {
        QStringList lines;
        for (int n = first; n <= last; ++n) {
            lines << QStringLiteral("%1: %2/%3").arg(what).arg(n).arg(total);
        }
        return lines;
    }

    void expectClosed() {
        EXPECT_FALSE(link.isOpen());
        EXPECT_FALSE(sim.isOpen());
        EXPECT_TRUE(sim.violations().empty());
    }

    static SimulatedTracker::FaultRule fault(SimulatedTracker::Fault kind, Command command,
                                             int page = -1) {
        SimulatedTracker::FaultRule rule{kind};
        rule.command = static_cast<int>(command);
        rule.page = page;
        return rule;
    }

    static constexpr const char* kFound = "Veltromark found, vid: Vid_0483, pid: A04D";
    static constexpr const char* kNotFound = "Veltromark not found.";
    static constexpr const char* kNotFoundHint = "Is the tracker plugged in?";
    static bool yes(const Question&) { return true; }  // the user goes ahead

    SimulatedTracker sim;
    DeviceLink link{sim, OpenHints{kNotFoundHint, {}, {}, {}}};
    RecordingSink host;
    MemoryForm form;
};
