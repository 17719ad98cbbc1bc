#pragma once
// The measurement-line parsers, one per meter family, and the dispatcher that
// picks one by model name. Each parser pulls text through ctx.reader, fills the
// channels' current readings and sets `complete` when the caller must record
// a reading; within a burst it records the earlier readings itself.

struct ParserContext;

void ParseA100(ParserContext& ctx, bool& complete);
void ParseN500(ParserContext& ctx, bool& complete);
void ParseN335(ParserContext& ctx, bool& complete);
void ParseK230(ParserContext& ctx, bool& complete);
void ParseH260(ParserContext& ctx, bool& complete);
void ParseJ70xx(ParserContext& ctx, bool& complete);
void ParseG40xx(ParserContext& ctx, bool& complete);
void ParseP650(ParserContext& ctx, bool& complete);
void ParseP670(ParserContext& ctx, bool& complete);

// One receive cycle: clears the remark, runs the model's parser and, when it
// reports a complete reading, stops the reply watchdog and records it.
// Returns false when the model has no parser (nothing is read).
bool LeesEnVerwerkRS232(ParserContext& ctx);
