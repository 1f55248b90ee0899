#include "platform/Logging.h"

Q_LOGGING_CATEGORY(lcMidi, "velorin.midi", QtInfoMsg)
Q_LOGGING_CATEGORY(lcFiles, "velorin.files", QtInfoMsg)
Q_LOGGING_CATEGORY(lcNet, "velorin.net", QtInfoMsg)
Q_LOGGING_CATEGORY(lcStartup, "velorin.startup", QtInfoMsg)
