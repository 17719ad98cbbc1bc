#pragma once
// One channel's value window: the latest value in large digits, its unit, the
// alarm indication and, for meters that send one, the temperature. The main
// window puts each one in a QMdiSubWindow.

#include <QWidget>

#include "core/model/colors.h"

class QLabel;
class QFont;
struct AppState;
struct ChannelReading;
class LanguageTable;
class PrintEngine;
struct ValuePrint;

class ValueWindow : public QWidget {
    Q_OBJECT
public:
    ValueWindow(AppState& state, const LanguageTable& language, int channelIndex, QWidget* parent = nullptr);

    int ChannelIndex() const { return index_; }
    // "meting" followed by the channel number (also the object name).
    QString Tag() const;
    static int ChannelFromTag(const QString& tag);

    // Shows the channel's current reading.
    void OpvullenMeting();
    // Empties every label.
    void WissenWaarden();
    // Emptied, with a note that no reading comes (the meter does not answer).
    void ShowNoReading();
    // Colours by connection state and the reading's range and alarm state.
    void SetColors();
    // Value, TAB, unit onto the clipboard.
    void CopyWaarde() const;
    void LaadStrings();
    // Prints the value, its unit and the alarm state on a page of its own.
    void PrintWaarde(PrintEngine& engine) const;
    // What a print shows of this window; false while it has no reading.
    bool PrintData(ValuePrint& out) const;

    // Set by the channel alarm test after each reading; shown by the next
    // OpvullenMeting.
    void SetAlarmIndication(const QString& text);
    void SetAlarmStates(bool lowAlarm, bool highAlarm);
    // True when the alarm label has the symbol font, so the indication can be
    // a symbol glyph; otherwise it needs a plain character.
    bool AlarmHasSymbolFont() const { return symbolFont_; }

    // The chosen font for the digits; the unit takes the face but keeps its size.
    void ApplyValueFont(const QFont& font);
    // Both fonts as a configuration stores them (the layout sizes them to the window).
    void ApplyFonts(const QFont& value, const QFont& unit);
    // Window > Font: the font dialog on the digits; true when a font was chosen.
    bool ChooseFont();

    // The caption of the sub-window when there is one, else the window's own.
    QString Caption() const;
    // The channel's name ("CH1").
    QString ChannelName() const;
    QLabel* ValueLabel() const { return lblWaarde_; }
    QLabel* UnitLabel() const { return lblEenheid_; }
    QLabel* AlarmLabel() const { return lblAlarm_; }
    QLabel* TemperatureLabel() const { return lblTemperatuur_; }

    QSize sizeHint() const override;

Q_SIGNALS:
    void AlarmDialogRequested(int channel);
    // The user chose a font (the configuration has changed).
    void FontChosen(int channel);
    // The user closed the window; it has been hidden, not destroyed.
    void ClosedByUser(int channel);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // A QMdiSubWindow passes its close on to its widget first, so this covers
    // the sub-window's close button as well.
    void closeEvent(QCloseEvent* event) override;

private:
    const ChannelReading* Reading() const;
    bool IsMinimised() const;
    bool IsJ70Device() const;
    void SetCaption(const QString& text);
    void ApplyLayout();
    ColorValue StateColor() const;

    AppState& state_;
    const LanguageTable& lang_;
    int index_ = 0;
    QLabel* lblWaarde_ = nullptr;
    QLabel* lblEenheid_ = nullptr;
    QLabel* lblAlarm_ = nullptr;
    QLabel* lblTemperatuur_ = nullptr;
    ColorValue valueTextColor_ = 0;   // as stored, system colours unresolved
    QString alarmIndication_ = QStringLiteral(" ");
    bool lowAlarm_ = false;
    bool highAlarm_ = false;
    bool symbolFont_ = false;
};
