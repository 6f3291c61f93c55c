#include "csv/fields.h"

#include "entry/catalogue.h"

#include <array>
#include <initializer_list>

namespace csv {
namespace {

QStringList namesOf(std::initializer_list<const char*> names) {
    QStringList list;
    list.reserve(qsizetype(names.size()));
    for (const char* name : names)
        list.append(QString::fromLatin1(name));
    return list;
}

} // namespace

const QStringList& bibtexFieldNames() {
    static const QStringList names = namesOf({
        "address", "author", "booktitle", "chapter", "edition", "editor",       "howpublished", "institution",
        "journal", "key",    "month",     "note",    "number",  "organization", "pages",        "publisher",
        "school",  "series", "title",     "type",    "volume",  "year",         "yomi",
    });
    return names;
}

QStringList offeredFields(int category) {
    static const std::array<QStringList, entry::kCategoryCount> offered{
        namesOf({"author", "journal", "month", "note", "number", "pages", "title", "volume", "year", "yomi"}),
        namesOf({"address", "author", "edition", "month", "note", "publisher", "series", "title", "volume",
                 "year", "yomi"}),
        namesOf({"address", "author", "howpublished", "month", "note", "title", "year", "yomi"}),
        namesOf({"address", "author", "booktitle", "chapter", "edition", "editor", "month", "note", "pages",
                 "publisher", "series", "title", "type", "volume", "year", "yomi"}),
        namesOf({"address", "author", "chapter", "edition", "month", "note", "publisher", "series", "title",
                 "volume", "year", "yomi"}),
        namesOf({"address", "author", "month", "note", "school", "title", "type", "year", "yomi"}),
        namesOf({"address", "author", "month", "note", "school", "title", "type", "year", "yomi"}),
        namesOf({"address", "author", "booktitle", "editor", "month", "note", "organization", "pages",
                 "publisher", "series", "title", "volume", "year", "yomi"}),
        namesOf({"address", "editor", "month", "note", "organization", "publisher", "series", "title",
                 "volume", "year", "yomi"}),
        namesOf({"author", "edition", "month", "note", "organization", "title", "year", "yomi"}),
        namesOf(
            {"address", "author", "institution", "month", "note", "number", "title", "type", "year", "yomi"}),
        namesOf({"author", "month", "note", "title", "year", "yomi"}),
        namesOf({"author", "howpublished", "month", "note", "title", "year", "yomi"}),
    };
    return entry::isCategoryIndex(category) ? offered[std::size_t(category)] : QStringList();
}

} // namespace csv
