#include "cli/cli.h"

#include <QCoreApplication>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QTextStream out(stdout), err(stderr);
    return cli::run(QCoreApplication::arguments().mid(1), out, err);
}
