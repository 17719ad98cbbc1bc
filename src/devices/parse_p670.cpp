// TEMPORARY placeholder: replaced by the family parser.
#include "devices/parsers.h"
void ParseP670(ParserContext&, bool& complete) { complete = false; }
