// lorvane-cli writes the same entries, under the same checks, as the entry form.
#include "cli/cli.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class Cli : public ::testing::Test {
protected:
    int run(const QStringList& args) {
        out.clear();
        err.clear();
        QTextStream o(&out), e(&err);
        const int code = cli::run(args, o, e);
        o.flush();
        e.flush();
        return code;
    }
    QString write(const QByteArray& bytes) {
        QFile f(dir.filePath(QStringLiteral("refs.bib")));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return f.fileName();
    }
    QByteArray read(const QString& path) {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }
    QTemporaryDir dir;
    QString out, err;
};

TEST_F(Cli, AddAppendsTheFormsEntryInTheFilesEncoding) {
    const QString file = write("% \x93\xfa\x96\x7b"); // CP932 "日本", no final line break
    ASSERT_EQ(run({QStringLiteral("add"), file, QStringLiteral("1"), QStringLiteral("1=k1"),
                   QStringLiteral("2=E"), QStringLiteral("pair1=2"), QStringLiteral("3=T"),
                   QStringLiteral("combo=P"), QStringLiteral("5=2000"), QStringLiteral("7=3")}),
              0)
        << err.toStdString();
    EXPECT_EQ(
        read(file),
        QByteArray("% \x93\xfa\x96\x7b\r\n@book{k1,\r\n editor    = \"E\",\r\n title     = \"T\",\r\n"
                   " publisher = \"P\",\r\n year      = \"2000\",\r\n volume    = \"3\",\r\n}\r\n\r\n"));
    EXPECT_EQ(out, file + QStringLiteral(": 1\n"));

    EXPECT_EQ(run({QStringLiteral("count"), file}), 0);
    EXPECT_EQ(out, file + QStringLiteral(": 1\n"));
}

TEST_F(Cli, RefusesALabelInUseAnIncompleteEntryAndAnUnencodableOne) {
    const QByteArray before("@misc{ABC,\r\n}\r\n");
    const QString file = write(before);
    EXPECT_EQ(run({QStringLiteral("add"), file, QStringLiteral("12"), QStringLiteral("1=abc")}), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("既に使われています")));
    EXPECT_EQ(run({QStringLiteral("add"), file, QStringLiteral("0"), QStringLiteral("1=new")}), 1);
    EXPECT_EQ(run({QStringLiteral("add"), file, QStringLiteral("12"), QStringLiteral("1=new"),
                   QStringLiteral("2=ü")}),
              1);
    EXPECT_TRUE(err.contains(QStringLiteral("ü")));
    EXPECT_EQ(read(file), before);

    EXPECT_EQ(run({QStringLiteral("add"), file, QStringLiteral("12"), QStringLiteral("1=new"),
                   QStringLiteral("2=ü"), QStringLiteral("--utf8")}),
              0);
    EXPECT_EQ(read(file), before + QByteArray("@misc{new,\r\n author    = \"\xc3\xbc\",\r\n}\r\n\r\n"));
}

TEST_F(Cli, ReportsUsageAndFileErrors) {
    EXPECT_EQ(run({}), 2);
    EXPECT_TRUE(err.contains(QStringLiteral("usage")));
    EXPECT_EQ(run({QStringLiteral("add"), QStringLiteral("x.bib"), QStringLiteral("13")}), 2);
    const QString missing = dir.filePath(QStringLiteral("missing.bib"));
    EXPECT_EQ(run({QStringLiteral("count"), missing}), 1);
    EXPECT_EQ(err, QStringLiteral("ファイル %1 は開けません.\n").arg(missing));
}

} // namespace
