#pragma once
// Clearing the current reading of a channel.

struct AppState;
struct ChannelReading;

// Value and unit emptied, over-range and has-value false, time := t.
void ClearReading(ChannelReading& rec, double t);
// Value, unit, over-range and has-value of all 16 readings cleared; times kept.
void ClearReadings(AppState& state);
