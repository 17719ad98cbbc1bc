// TEMPORARY placeholder: replaced by the family parser.
#include "devices/parsers.h"
void ParseP650(ParserContext&, bool& complete) { complete = false; }
