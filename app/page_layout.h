#pragma once

#include <QString>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "settings/schema.h"

// The arrangement of the settings pages, as data. The builder (page_builder.h) turns it into
// widgets; labels, hints, lengths and items come from the settings table, so a page names
// only which setting goes where.
namespace layout {

// Parts of a field or table row: a setting or button name, or one of these separators.
inline constexpr std::string_view kDash = "-";   // between a call and its SSID
inline constexpr std::string_view kComma = ",";  // between path elements

// One labelled value: a label (the first setting's label, or the captions of the named
// label controls, stacked) right-aligned left of its parts.
struct Field {
    Field(std::initializer_list<std::string_view> parts) : parts(parts) {}

    std::vector<std::string_view> parts;
    std::vector<std::string_view> labelControls;  // e.g. {"Label_mice", "Label_mice_message"}
};

// A field labelled by the named label controls instead of its setting's label.
Field withLabels(std::initializer_list<std::string_view> parts,
                 std::initializer_list<std::string_view> labelControls);

struct Node {
    enum class Type {
        Column,  // children top to bottom
        Row,     // children left to right
        Group,   // a framed group with a title around its one child
        Fields,  // rows of fields; `aligned` lines the labels up in columns
        Table,   // column headings (from the first row's labels), optional row labels
        Note,    // static text across the available width
        Stretch,
    };
    Type type;
    QString text;  // group title, note text
    std::vector<Node> children;
    std::vector<std::vector<Field>> fieldRows;             // Fields
    bool aligned = true;                                   // Fields
    std::vector<QString> rowLabels;                        // Table
    std::vector<std::vector<std::string_view>> tableRows;  // Table
    std::string_view cornerButton;                         // Table: beside the last heading
};

Node column(std::vector<Node> children);
Node row(std::vector<Node> children);
Node group(QString title, Node child);
// Aligned fields, one field per row.
Node fields(std::initializer_list<std::string_view> settings);
Node fieldRows(std::vector<std::vector<Field>> rows, bool aligned);
Node table(std::vector<std::vector<std::string_view>> rows, std::vector<QString> rowLabels = {},
           std::string_view cornerButton = {});
Node note(QString text);
Node stretch();

struct PageLayout {
    Page page;
    std::string subPage;  // empty for a page without sub-pages
    Node content;
};

// Every page and sub-page in display order.
const std::vector<PageLayout>& pages();

// Sub-page captions of `page` in display order (empty when it has none).
std::vector<std::string> subPages(Page page);

// Object name of the sub-page control of `page` ("DigipeaterSubPages" for the digipeater), empty
// when it has none.
QString subPageControlName(Page page);

}  // namespace layout
