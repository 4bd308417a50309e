#pragma once

#include <QFile>
#include <QXmlStreamReader>
#include <regex>
#include <string>
#include <vector>

namespace calvex::test {

// The texts of an SVG file's <text> elements, in document order; empty when it is not well-formed XML.
inline std::vector<std::string> svgTexts(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&file);
    std::vector<std::string> texts;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.name() == QStringLiteral("text"))
            texts.push_back(
                xml.readElementText(QXmlStreamReader::IncludeChildElements).trimmed().toStdString());
    }
    if (xml.hasError())
        return {};
    return texts;
}

// The pages of a PDF document: its page objects.
inline int pdfPageCount(const std::string& bytes) {
    static const std::regex page("/Type\\s*/Page(?![a-zA-Z])");
    return static_cast<int>(
        std::distance(std::sregex_iterator(bytes.begin(), bytes.end(), page), std::sregex_iterator()));
}

}  // namespace calvex::test
