#include "cli/cli.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    QFile out, err;
    if (!out.open(stdout, QIODevice::WriteOnly) || !err.open(stderr, QIODevice::WriteOnly))
        return cli::kFileError;
    const int code = cli::run(QCoreApplication::arguments().mid(1), out, err);
    // What is still buffered must reach standard output too: a failure there is a file that cannot be
    // written.
    if (!out.flush() && code == cli::kDone) {
        err.write((cli::outputFailedMessage() + u'\n').toUtf8());
        return cli::kFileError;
    }
    return code;
}
