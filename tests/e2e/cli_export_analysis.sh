#!/usr/bin/env bash
# vam-cli export as an analyst uses it: a K231 run in which CH3 auto-ranges
# from µS/cm to mS/cm, CH1 is once over range and a stop record ends the
# logging. pandas must read every value column as numbers (CH3 in one unit,
# the over-range value empty and flagged, five readings as five rows), --long
# must give 20 rows with a numeric value column, and openpyxl must read the
# workbook's numbers and date-times.
set -euo pipefail
cli="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
python=/usr/bin/python3
"$python" -c 'import pandas, openpyxl' || { echo "pandas and openpyxl are needed (scripts/deps.sh)"; exit 1; }

# Times as days since 1899-12-30 (every locale reads them): 2026-03-29 01:59:58
# onwards, across the night the clocks go forward in Europe/Amsterdam.
rec() { # time ch1 ch1-over ch3 ch3-unit info
  printf "'%s','%s','pH','%s','True','-12.5','mV','False','True','%s','%s','False','True','21.5','\xb0C','False','True','%s'\r\n" "$@"
}
{
  printf "'K231'\r\n"
  rec 46110.08331018519 7.01 False 845 $'\xb5S/cm' ''
  rec 46110.08332175926 99999 True 990 $'\xb5S/cm' ''
  rec 46110.12501157407 7.05 False 1.02 mS/cm 'Alarm CH3: H'
  rec 46110.12502314815 7.07 False 1.10 mS/cm ''
  rec 46110.12503472222 7.10 False 1.21 mS/cm ''
  rec 46110.12504629630 7.10 False 1.21 mS/cm 'Stop'
} > "$work/run.vam"

export TZ=Europe/Amsterdam
"$cli" export "$work/run.vam" --csv "$work/wide.csv" 2> "$work/wide.err"
"$cli" export "$work/run.vam" --long --csv "$work/long.csv" 2> /dev/null
"$cli" export "$work/run.vam" --xlsx "$work/run.xlsx" 2> /dev/null
grep -q "1 stop record(s) left out" "$work/wide.err" || { cat "$work/wide.err"; exit 1; }

"$python" - "$work" <<'PY'
import sys, datetime, pandas, openpyxl
work = sys.argv[1]
wide = pandas.read_csv(f"{work}/wide.csv")
values = [c for c in wide.columns if "(" in c]
assert values == ["CH1 (pH)", "CH2 (mV)", "CH3 (S/cm)", "CH4 (\u00b0C)"], values
for c in values:
    assert wide[c].dtype == "float64", (c, wide[c].dtype)
assert len(wide) == 5, len(wide)
assert list(wide["CH3 (S/cm)"]) == [845e-6, 990e-6, 1.02e-3, 1.10e-3, 1.21e-3], list(wide["CH3 (S/cm)"])
assert pandas.isna(wide["CH1 (pH)"][1]) and wide["CH1 flag"][1] == "over range", wide.iloc[1]
assert wide["CH1 flag"].isna().sum() == 4
assert list(wide["Time"][:3]) == ["2026-03-29T01:59:58+01:00", "2026-03-29T01:59:59+01:00", "2026-03-29T03:00:01+02:00"], list(wide["Time"])
times = pandas.to_datetime(wide["Time"], utc=True)
assert (times.diff().dropna() > pandas.Timedelta(0)).all(), times
assert wide["Info"][2] == "Alarm CH3: H"

long = pandas.read_csv(f"{work}/long.csv")
assert len(long) == 20, len(long)
assert long["Value"].dtype == "float64", long["Value"].dtype
assert list(long.columns[:7]) == ["Time", "No", "Channel", "Name", "Value", "Unit", "Flag"], list(long.columns)
assert set(long[long["Channel"] == 3]["Unit"]) == {"S/cm"}

book = openpyxl.load_workbook(f"{work}/run.xlsx")
assert book.sheetnames == ["Readings", "Run"], book.sheetnames
sheet = book["Readings"]
assert sheet.max_row == 6, sheet.max_row
assert sheet.freeze_panes == "A2", sheet.freeze_panes
assert sheet["A1"].font.b, "a bold heading"
assert isinstance(sheet["B2"].value, datetime.datetime), sheet["B2"].value
assert sheet["B2"].value.replace(microsecond=0) == datetime.datetime(2026, 3, 29, 1, 59, 58), sheet["B2"].value
assert isinstance(sheet["C2"].value, float) and sheet["C2"].value == 7.01, sheet["C2"].value
assert sheet["C3"].value is None and sheet["D3"].value == "over range"
assert sheet["G6"].value == 1.21e-3, sheet["G6"].value
run = {r[0]: r[1] for r in book["Run"].iter_rows(values_only=True) if r[0]}
assert run["Meter model"] == "K231" and run["Readings"] == 5 and run["Stop records left out"] == 1, run
print("export for analysis: ok")
PY
