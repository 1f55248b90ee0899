#include "ui/dialogs/Form2.h"

#include "ui/window/DesignLayout.h"
#include "logic/base/Files.h"
#include "logic/base/NumberText.h"
#include "logic/base/Rgb.h"
#include "logic/settings/SettingsFile.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

#include <algorithm>

using namespace DesignLayout;

namespace {
std::string trimmed(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// A box's character limit as typing meets it: an edit that would make the
// text longer than the limit is refused, while a longer text put in by the
// program is neither cut nor refused.
class TypingLimit : public QValidator {
public:
    TypingLimit(int limit, int longestSet, QObject* parent)
        : QValidator(parent), limit_(std::max(limit, longestSet))
    {
    }
    State validate(QString& input, int&) const override { return input.size() > limit_ ? Invalid : Acceptable; }

private:
    int limit_;
};
}  // namespace

Form2::Form2(Files& files, std::string settingsFile, const QColor& background,
             std::function<void(const Applied&)> apply, QWidget* parent)
    : QWidget(parent, Qt::Window), files_(files), settingsFile_(std::move(settingsFile)), apply_(std::move(apply))
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral(" Velorin Settings"));
    setClientSize(this, 5385, 2505);
    QPalette p = palette();
    p.setColor(QPalette::Window, background);
    setPalette(p);
    setAutoFillBackground(true);

    auto* title = label(this, "lblTitle", "Velorin", 360, 120, 2565, 360, designFont("Comic Sans MS", 11.25, true));
    setTextColour(title, rgb(128, 0, 0));
    label(this, "Label1", "Settings", 360, 480, 1455, 255, designFont("MS Sans Serif", 8.25, true));

    const QFont trebuchet = designFont("Trebuchet MS", 8.25);
    struct Box {
        const char* labelName;
        const char* caption;
        const char* boxName;
        int maxLength;
        int left;
        int boxLeft;
        int top;
    };
    const Box design[6] = {
        {"lbl2", "Channel: 0", "cxnl", 2, 360, 1440, 840},
        {"Label2", "Octave: 60", "octx", 3, 360, 1440, 1200},
        {"Label3", "Aftertouch:1", "delx", 2, 360, 1440, 1560},
        {"Label4", "Min Tempo: 0", "minx", 3, 2520, 3840, 840},
        {"Label5", "Max Tempo: 300", "maxx", 3, 2520, 3840, 1200},
        {"Label6", "Def Tempo: 0", "defx", 3, 2520, 3840, 1560},
    };
    const SettingsFile::Lines lines = SettingsFile::parse(files_.read(settingsFile_).value_or(std::string()));
    for (std::size_t i = 0; i < 6; ++i) {
        const Box& d = design[i];
        // Each label reaches to its box, so that "Max Tempo: 300" reads whole
        // in the fonts this desktop has (the right-hand boxes stand further off).
        label(this, d.labelName, d.caption, d.left, d.top, d.boxLeft - d.left, 255, trebuchet);
        auto* box = new QLineEdit(this);
        box->setObjectName(QString::fromLatin1(d.boxName));
        place(box, d.boxLeft, d.top, 495, 285);
        setButtonColour(box, rgb(247, 247, 247));
        // The limit stops typing only: a longer line from the file shows whole.
        const QString line = QString::fromStdString(lines[i].value_or(std::string()));
        box->setValidator(new TypingLimit(d.maxLength, static_cast<int>(line.size()), box));
        box->setText(line);
        boxes_[i] = box;
    }

    cmdOK_ = new QPushButton(QStringLiteral("OK"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    place(cmdOK_, 360, 1920, 780, 345);
    cmdOK_->setFont(trebuchet);
    setButtonColour(cmdOK_, rgb(255, 255, 192));
    connect(cmdOK_, &QPushButton::clicked, this, &Form2::ok);
}

void Form2::ok()
{
    std::array<std::string, 6> texts;
    for (std::size_t i = 0; i < 6; ++i) {
        texts[i] = boxes_[i]->text().toStdString();
        if (!NumberText::strictNumber(texts[i])) {
            cmdOK_->setText(QStringLiteral("Retry"));
            return;
        }
        texts[i] = trimmed(texts[i]);
    }
    // Replaced in one step: a failed write leaves the old settings whole.
    files_.writeAtomically(settingsFile_, SettingsFile::serialize(texts));

    Applied applied{0, 0, texts[2]};
    if (const auto n = NumberText::toInt16(NumberText::fromText(texts[1])))
        applied.baseNote = *n;
    if (const auto n = NumberText::toInt16(NumberText::fromText(texts[5])))
        applied.tempo = *n;
    if (apply_)
        apply_(applied);
    close();
}
