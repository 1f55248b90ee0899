// The floor for start-up: a bare Qt window of the main window's size (the
// client area and a menu bar of three menus), nothing else.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    for (const char* menu : {"&File", "&Extra", "&Help"})
        window.menuBar()->addMenu(QString::fromLatin1(menu));
    auto* client = new QWidget(&window);
    client->setFixedSize(784, 188);
    window.setCentralWidget(client);
    window.setWindowTitle(QStringLiteral("bare"));
    window.show();
    return app.exec();
}
