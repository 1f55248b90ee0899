#pragma once

// Checks of what happens through the event loop, as gtest assertions. Qt's
// QTRY_ and QCOMPARE macros report to QTest's own log, which a gtest program
// never reads: a failure there would leave the test passing.
#include <QTest>

#include <gtest/gtest.h>

// Waits up to timeoutMs for cond to hold.
#define ASSERT_EVENTUALLY(cond, timeoutMs) \
    ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(cond); }, timeoutMs)) << "never came true: " #cond

// Waits up to timeoutMs for a == b; then compares them, showing both.
#define ASSERT_EVENTUALLY_EQ(a, b, timeoutMs)                      \
    do {                                                           \
        (void)QTest::qWaitFor([&] { return (a) == (b); }, timeoutMs); \
        ASSERT_EQ(a, b);                                           \
    } while (false)
