#pragma once

#include "ui/window/Form1.h"
#include "support/ManualClock.h"
#include "support/RecordingMidiOut.h"
#include "platform/IniSettingsStore.h"
#include "platform/QtFiles.h"
#include "platform/TcpPlaySocket.h"
#include "support/TempEnvironment.h"

#include <QColor>

#include <gtest/gtest.h>

#include <memory>

// A main window on real files in a temporary midi folder and a real settings
// store, sending to a recording MIDI output.
class Form1Test : public testing::Test {
protected:
    TempEnvironment env;
    RecordingMidiOut midi;
    ManualClock clock;
    TcpPlaySocket socket;
    QtFiles files;
    std::unique_ptr<IniSettingsStore> settings;
    std::unique_ptr<Form1> form;
    // When set, the window looks for shipped files here only, instead of beside the tests.
    std::string programFolder;

    // Writes the six-line settings file into the midi folder.
    void writeKeyboardSettings(const QByteArray& bytes);

    // Makes a window and runs its start-up, as the program does.
    Form1& start(MidiOut* output = nullptr, const std::vector<std::string>& arguments = {});
    // Closes it, as the user does, and drops it.
    void stop();

    static QColor textColour(const QWidget* w);
};
