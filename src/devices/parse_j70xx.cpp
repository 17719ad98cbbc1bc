// TEMPORARY placeholder: replaced by the family parser.
#include "devices/parsers.h"
void ParseJ70xx(ParserContext&, bool& complete) { complete = false; }
