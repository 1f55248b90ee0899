#include "support/Form1Fixture.h"

#include "logic/base/Maker.h"
#include "logic/base/Version.h"
#include "ui/dialogs/frmAbout.h"

#include <QAction>
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QUrl>

namespace {
class WebPages : public QObject {
    Q_OBJECT
public:
    WebPages() { QDesktopServices::setUrlHandler(QStringLiteral("https"), this, "open"); }
    ~WebPages() override { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened << url; }
};
}  // namespace

TEST(About, TheVersionLineNamesMajorMinorAndRevision)
{
    EXPECT_EQ(frmAbout::versionLine(1, 5, 3), "Beta Version 1.5.3");
    EXPECT_EQ(frmAbout::versionLine(0, 10, 0), "Beta Version 0.10.0");
}

TEST_F(Form1Test, TheAboutBoxShowsTitleVersionAndTheMakersPage)
{
    WebPages pages;
    start();
    form->controls().mnuAbout->trigger();
    frmAbout* about = form->aboutDialog();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->windowTitle(), "About velorin");
    EXPECT_EQ(about->lblTitle()->text(), "velorin");
    EXPECT_EQ(about->lblVersion()->text(),
              frmAbout::versionLine(Version::majorNumber, Version::minorNumber, Version::revision));
    EXPECT_TRUE(about->lblDescription()->text().contains(QLatin1String(Maker::supportEmail)));
    EXPECT_TRUE(about->lblDescription()->text().contains(QLatin1String(Maker::webPage)));
    EXPECT_EQ(about->palette().color(QPalette::Window), form->controls().client->palette().color(QPalette::Window));
    EXPECT_FALSE(about->picIcon()->pixmap().isNull());

    QTest::mouseClick(about->lblDescription(), Qt::LeftButton);
    EXPECT_EQ(pages.opened, QList<QUrl>{QUrl(QLatin1String(Maker::webPage))});
}

TEST_F(Form1Test, TheAboutBoxIsOneWindowBroughtForwardAndGoneWithTheMainWindow)
{
    start();
    QTest::mouseClick(form->controls().Label2, Qt::LeftButton);
    QPointer<frmAbout> first = form->aboutDialog();
    ASSERT_NE(first, nullptr);
    form->controls().mnuAbout->trigger();
    QTest::mouseClick(form->controls().Label2, Qt::LeftButton);
    EXPECT_EQ(form->aboutDialog(), first);
    EXPECT_EQ(form->findChildren<frmAbout*>().size(), 1);

    // OK unloads it; the next use makes a new one.
    QTest::mouseClick(first->cmdOK(), Qt::LeftButton);
    EXPECT_FALSE(first->isVisible());
    form->controls().mnuAbout->trigger();
    QTest::qWait(0);
    EXPECT_EQ(first, nullptr);
    QPointer<frmAbout> second = form->aboutDialog();
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(second->isVisible());

    form->close();
    EXPECT_EQ(second, nullptr);
}

#include "AboutTest.moc"
