// TEMPORARY placeholder: replaced by the family parser.
#include "devices/parsers.h"
void ParseN335(ParserContext&, bool& complete) { complete = false; }
