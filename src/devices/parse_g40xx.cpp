// TEMPORARY placeholder: replaced by the family parser.
#include "devices/parsers.h"
void ParseG40xx(ParserContext&, bool& complete) { complete = false; }
