// TEMPORARY placeholder: replaced by the family parser.
#include "devices/parsers.h"
void ParseN500(ParserContext&, bool& complete) { complete = false; }
