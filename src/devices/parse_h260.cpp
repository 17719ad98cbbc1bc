// TEMPORARY placeholder: replaced by the family parser.
#include "devices/parsers.h"
void ParseH260(ParserContext&, bool& complete) { complete = false; }
