// The reference for bench_startup: a bare Qt main window holding a list of
// 200 entries, as the program's memory list holds.
#include <QApplication>
#include <QListWidget>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    auto *list = new QListWidget(&window);
    for (int n = 1; n <= 200; ++n)
        list->addItem(QStringLiteral("Mem %1").arg(n));
    window.setCentralWidget(list);
    window.show();
    return app.exec();
}
