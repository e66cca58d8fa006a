// The yardstick for the program's start: a minimal Qt window with a tree view, a label, an
// edit and a button, started the way the program is started.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Reference"));
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QTreeView);
    layout->addWidget(new QLabel(QStringLiteral("Total: 0 hits")));
    layout->addWidget(new QLineEdit);
    layout->addWidget(new QPushButton(QStringLiteral("Refresh")));
    window.resize(832, 553);
    window.show();
    return application.exec();
}
