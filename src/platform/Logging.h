#pragma once

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcMidi)
Q_DECLARE_LOGGING_CATEGORY(lcFiles)
