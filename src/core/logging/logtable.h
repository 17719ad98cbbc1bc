#pragma once
// The logged readings, one row per log number, and the table window's grid as
// a model over them. Rows are kept compactly so that a long log stays small:
// value texts share one text arena, unit and info texts are interned, and a
// row is a few plain numbers. Display texts are made only when asked for.
//
// Grid columns: 0 number, 1 date, 2 time, then per logged channel its value
// and unit (and for the J70xx family its temperature and temperature unit),
// then the info text. After the reading rows comes one empty row numbered
// LastNumber() + 1, where the next reading goes.
//
// A row's number is its log number. Rows are kept in ascending number order;
// deleting rows leaves gaps in the numbering (the others keep their numbers)
// until Renumber closes them.

#include "core/model/colors.h"
#include "core/logging/recordformat.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QStringList>
#include <vector>

struct AppState;
class LanguageTable;

// A J70xx temperature item ("25.0°C") split as the table shows it: the number
// without its unit, and the unit ("°C", "°F", "K"; "" when there is none).
QString TemperatureNumber(QString extra);
QString TemperatureUnit(const QString& extra);

class LogTable : public QAbstractTableModel {
    Q_OBJECT
public:
    // Colours are handed out as stored values (0x00BBGGRR or a system colour);
    // the view turns them into brushes.
    enum Role { ForegroundValueRole = Qt::UserRole + 1, BackgroundValueRole, ExcludedRole, TimeRole };
    static constexpr int kFirstChannelColumn = 3;

    explicit LogTable(QObject* parent = nullptr);

    // ---- Layout
    // Columns for a device with `loggedChannels` channels. Rows are kept when
    // the shape of a row stays the same, otherwise the table is emptied.
    void SetLayout(const QString& deviceName, int loggedChannels);
    void SetLayout(const AppState& s);
    int Channels() const { return channels_; }
    bool Extras() const { return extras_; }
    QString DeviceName() const { return device_; }
    int ValueColumn(int channel) const { return kFirstChannelColumn + (channel - 1) * Stride(); }
    int InfoColumn() const { return kFirstChannelColumn + channels_ * Stride(); } // TableColumnCount
    // The channel whose cells a column shows, 0 for the other columns.
    int ChannelOfColumn(int column) const;
    // The heading row (LaadTabelKolomhoofden).
    void LoadCaptions(const LanguageTable& lang);
    void SetColors(ColorValue foreground, ColorValue background, ColorValue special);

    // ---- Rows (in ascending log number; the row of a number is RowOfNumber)
    int Count() const { return int(rows_.size()); }
    // The highest log number the table was given since it was emptied or
    // renumbered; the trailing empty row shows the next one.
    int LastNumber() const { return lastNumber_; }
    // The row holding log number `number`, -1 when there is none.
    int RowOfNumber(int number) const;
    void Clear(); // InitieerTabel
    // The row numbered LogCount := the current reading and `info` (trimmed).
    // Numbers past LastNumber() are appended, with empty numbered rows for
    // the numbers skipped; a number below it whose row was deleted gets its
    // row back in its place. Channels that are not in use or carry no value
    // leave their cells as they were. Nothing happens while LogCount < 1.
    void VulTabelAan(const AppState& s, const QString& info);
    // The same cells written into the existing row LogCount (added when missing).
    void VernieuwLaatsteTabellijn(const AppState& s, const QString& info);
    // Deletes rows; the others keep their numbers and LastNumber() stays.
    void RemoveRows(int first, int count);
    // The same for a set of rows (ascending, without repeats) in one pass.
    void RemoveRows(const std::vector<int>& rows);
    // Numbers the rows 1..Count() in their order; LastNumber() := Count().
    void Renumber();
    void Reserve(int rows);

    int Number(int row) const;
    bool HasTime(int row) const;
    double Time(int row) const;
    bool HasReading(int row, int channel) const;
    QString Value(int row, int channel) const;
    QString Unit(int row, int channel) const;
    QString Extra(int row, int channel) const;
    bool OverRange(int row, int channel) const;
    QString Info(int row) const;
    bool Excluded(int row) const; // the info text begins with "!x"
    void SetInfo(int row, const QString& info);
    // A channel cell's text colour (the alarm pass); 0 falls back to the table colour.
    void SetCellColor(int row, int channel, ColorValue color);
    void ClearCellColors();

    // ---- Relative clock
    void SetRelativeTime(bool on);
    bool RelativeTime() const { return relative_; }
    void SetReferenceTime(double days);
    double ReferenceTime() const { return reference_; }
    const StampFormat& Stamps() const { return stamps_; }
    // Rebuilds the date and time patterns from the default locale.
    void ReloadLocale();

    // The text a cell shows; also valid for the trailing empty row.
    QString CellText(int row, int column) const;
    // Cells of the rows in the columns: TAB between cells, CR LF between rows.
    QString CopyText(const std::vector<int>& rows, const std::vector<int>& columns) const;

    // ---- Bulk appending for the data-file loader: no per-row signals, one
    // model reset around the whole load.
    struct RawCell {
        QByteArrayView value, unit, extra; // Latin-1 bytes, trimmed here
        bool overRange = false;
        bool hasValue = false;
    };
    void BeginBulk();
    // `cells` holds Channels() entries.
    void AppendBulk(double time, bool hasTime, const RawCell* cells, QByteArrayView info);
    void EndBulk();

    // ---- QAbstractTableModel
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Cell {
        quint32 value = 0, extra = 0; // offsets in text_
        quint32 unit = 0;             // index in pool_
        quint16 valueLength = 0, extraLength = 0;
        quint8 flags = 0;
        quint8 color = 0;             // index in colors_, 0 = none
    };
    struct Row {
        double time = 0;
        quint32 number = 0;
        quint32 info = 0;             // index in pool_
        quint8 flags = 0;
    };
    int Stride() const { return extras_ ? 4 : 2; }
    const Cell* CellAt(int row, int channel) const;
    Cell* CellAt(int row, int channel);
    quint32 Intern(const QString& text);
    quint32 InternLatin1(QByteArrayView bytes);
    quint32 AddText(QStringView text, quint16& length);
    quint32 AddLatin1(QByteArrayView bytes, quint16& length);
    QString Text(quint32 offset, quint16 length) const;
    void WriteRow(int row, const AppState& s, const QString& info);
    void AppendNumbered(int count);
    int FirstRowFrom(int number) const; // the first row numbered `number` or more
    void RowsChanged(int first, int last);
    ColorValue Foreground(int row, int column) const;

    QString device_;
    int channels_ = 0;
    bool extras_ = false;
    bool overRangeHidesTemperature_ = false;
    QStringList captions_;
    ColorValue foreground_ = 0x000000, background_ = 0xFFFFFF, special_ = 0x0000FF;

    std::vector<Row> rows_;
    std::vector<Cell> cells_;     // rows_.size() * channels_
    int lastNumber_ = 0;
    QString text_;                // value and temperature texts
    std::vector<QString> pool_;   // interned unit and info texts; 0 = ""
    QHash<QString, quint32> poolIndex_;
    std::vector<ColorValue> colors_{0};

    // The loader's cache: the unit of the previous row, per channel.
    std::vector<QByteArray> lastUnit_;
    std::vector<quint32> lastUnitId_;

    bool relative_ = false;
    double reference_ = 0;
    StampFormat stamps_;
};
