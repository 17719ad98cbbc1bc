// TEMPORARY placeholder: replaced by the family parser.
#include "devices/parsers.h"
void ParseK230(ParserContext&, bool& complete) { complete = false; }
