#pragma once
// The printed test report as primitives in page coordinates: 0.01 inch, origin at
// the lower right of the printable area, x negative to the left, y up. A text's
// point is its upper left corner. The record is only read.
#include <string>
#include <vector>

#include "graph/GraphState.h"
#include "record/MeasurementRecord.h"

namespace mivora {

enum class PrintPen { Black2, GreyDot };  // solid black width 2; dotted 0x7F7F7F width 1
enum class PrintFont { Title, Small };    // Arial, heights -40 and -15

struct PrintLine {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
    PrintPen pen = PrintPen::Black2;
};

struct PrintText {
    std::string text;
    int x = 0;
    int y = 0;
    PrintFont font = PrintFont::Small;
};

// Lines and texts in the order they are drawn: lines and texts interleave, so
// each primitive carries its position in the page's sequence.
struct PrintPrimitive {
    enum class Kind { Line, Text } kind = Kind::Line;
    PrintLine line;
    PrintText text;
};

struct PrintPage {
    int number = 1;
    std::vector<PrintPrimitive> items;
    std::vector<PrintLine> Lines() const;
    std::vector<PrintText> Texts() const;
};

// Readings the table pages list: the loaded series for a loaded file, else the
// whole record.
int PrintedTableCount(const MeasurementRecord& record);
// Pages of the job: the graph page, then 30 table rows per page, T / 30 + 2.
int PrintPageCount(const MeasurementRecord& record);
// Page `page` (1-based) of the report.
PrintPage ComputePrintPage(const GraphState& state, const MeasurementRecord& record, int page);

}  // namespace mivora
