#include <QApplication>

#include "ui/app/pelwinapp.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    CPelwinApp app;
    if (!app.InitInstance(QApplication::arguments()))
        return 1;
    return QApplication::exec();
}
