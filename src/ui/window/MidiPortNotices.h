#pragma once

#include "logic/midi/PortNotice.h"

#include <QObject>
#include <QTimer>

#include <array>

class QLabel;

// The line at the foot of the main window that tells what the MIDI ports
// named in the settings are doing, one notice for the input and one for the
// output: a problem stays until it is mended; word that a port is back goes
// after a few seconds. The line hides while there is nothing to say.
class MidiPortNotices : public QObject {
public:
    explicit MidiPortNotices(QLabel& line, QObject* parent = nullptr);

    void show(const PortNotice& notice);

    static constexpr int goodNewsMs = 5000;

private:
    void update();

    QLabel& line_;
    std::array<PortNotice, 2> notices_;
    QTimer goodNews_;
};
