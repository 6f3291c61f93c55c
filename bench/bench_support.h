#pragma once
// What the core figures and the window's figures share: the generated bibliography and CSV file they are
// measured on. Includes nothing of the window.
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace bench {

constexpr int kEntries = 150000;

// `entries` entries of nine lines each, Japanese values included.
QString generatedBibliography(int entries = kEntries);

// The large document as text and as a CP932 file in a folder that lives as long as the program.
struct Fixture {
    QTemporaryDir dir;
    QString text = generatedBibliography();
    QString file = dir.filePath(QStringLiteral("large.bib"));
    Fixture();
};

Fixture& fixture();

// The columns chosen in both CSV directions, and the length of the CSV file imported.
extern const QStringList kCsvColumns;
constexpr int kCsvLines = 100000;

// A CSV file of kCsvLines lines in the fixture's folder, written at the first call.
QString generatedCsv();

} // namespace bench
