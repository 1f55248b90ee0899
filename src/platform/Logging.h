#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcMidi)
Q_DECLARE_LOGGING_CATEGORY(lcFiles)
Q_DECLARE_LOGGING_CATEGORY(lcNet)
// Where start-up spends its time: QT_LOGGING_RULES="velorin.startup.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcStartup)
