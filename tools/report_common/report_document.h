#pragma once
// A datasheet as blocks of content, before any page exists: headings, fact
// lists, tables and diagrams. Built from a record and the user's inputs by
// BuildReport without widgets, so what goes into which table is tested
// without a screen; report_pages.h lays the blocks onto pages.

#include <optional>
#include <string>
#include <vector>

#include "diagrams/diagram_export.h"
#include "model/photometric_record.h"
#include "report_inputs.h"

namespace lumibench::reports {

struct ReportTable {
    // Optional row above the header: a label over `span` columns each.
    std::vector<std::pair<std::string, int>> groups;
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
};

struct ReportBlock {
    enum class Kind { Heading, Facts, Table, Figure, Note, Columns };
    Kind kind = Kind::Note;
    std::string text;  // heading text, the note, or the figure's caption
    std::vector<std::pair<std::string, std::string>> facts;
    ReportTable table;
    diagrams::PaintFunction paint;  // figures
    double height = 0;              // figures: points
    std::vector<ReportBlock> columns;  // Columns: side by side, equal widths
};

struct ReportDocument {
    ReportKind kind = ReportKind::Indoor;
    std::string title;      // "Indoor Report"
    std::string luminaire;  // what the sheet is about: the luminaire's name or the file's
    std::string file;
    std::vector<ReportBlock> blocks;
};

// The report of one data set. `values` are the kind's inputs (metres).
ReportDocument BuildReport(ReportKind kind, const PhotometricRecord& record, const InputValues& values,
                           const ReportUnits& units);

// The sheet's figures as JSON, block by block in the order printed:
// {"title", "luminaire", "file", "sections": [{"heading", "facts": {label:
// text}, "tables": [{"caption", "header", "rows"}], "figures": [caption],
// "notes": [text]}]}; the texts are those the sheet prints, units included.
std::string ReportToJson(const ReportDocument& doc);

// Fixed-point text with `decimals` digits, '.' whatever the locale; "-" for
// nullopt or a value that is not finite.
std::string Fixed(std::optional<double> value, int decimals);

// The file name a batch gives a data set's PDF: the photometric file's name
// with ".pdf" for its extension, characters a file name cannot hold replaced,
// and "-2", "-3", ... added when an earlier data set of the batch took it
// (compared without regard to case). `taken` gains the name.
std::string BatchFileName(const std::string& photometricFile, int index, std::vector<std::string>& taken);

}  // namespace lumibench::reports
