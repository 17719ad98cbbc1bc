#pragma once
// The three small pages of the settings dialog: Language (the list, each
// language in its own words), System (the information grid: user, company,
// names and folders) and Colours (the colour grid).

#include <QWidget>
#include <functional>

class LanguageTable;
class QComboBox;
class QLabel;
class QTableWidget;
class SettingsModel;

class LanguagePage : public QWidget {
    Q_OBJECT
public:
    LanguagePage(SettingsModel& model, const LanguageTable& language, QWidget* parent = nullptr);

    void LaadStrings();
    // Loads every language once for its name, so it comes last when opening.
    void InitComboTaal();

    QComboBox* LanguageList() const { return comboTaal_; }

Q_SIGNALS:
    // The model shows another language: every caption must be loaded again.
    void languageChosen();

private:
    SettingsModel& model_;
    const LanguageTable& lang_;
    bool filling_ = false; // the list being built: its signals are not the user's

    QLabel *lblLanguage_ = nullptr, *helpLanguage_ = nullptr;
    QComboBox* comboTaal_ = nullptr;
};

// The dialog's message boxes and folder browser, which the folder rows use.
struct SettingsPrompts {
    std::function<void(const QString& title, const QString& text)> inform;
    std::function<void(const QString& title, const QString& text)> warn;
    std::function<bool(const QString& title, const QString& text)> askYesNo;
    // "" when cancelled.
    std::function<QString(const QString& title, const QString& folder)> chooseFolder;
};

class SystemPage : public QWidget {
    Q_OBJECT
public:
    SystemPage(SettingsModel& model, const LanguageTable& language, SettingsPrompts prompts,
               QWidget* parent = nullptr);

    void LaadStrings();
    void FillInfoGrid();
    // A folder row opens the browser, a read-only row says it cannot change.
    void InfoCellClicked(int row, int column);

    QTableWidget* InfoGrid() const { return info_; }

private:
    void CreateFolderAsked(const QString& folder);

    SettingsModel& model_;
    const LanguageTable& lang_;
    SettingsPrompts prompts_;
    bool filling_ = false; // the grid being filled: its signals are not the user's

    QLabel* helpSystem_ = nullptr;
    QTableWidget* info_ = nullptr;
};

class ColoursPage : public QWidget {
    Q_OBJECT
public:
    ColoursPage(SettingsModel& model, const LanguageTable& language, QWidget* parent = nullptr);

    void LaadStrings();
    void FillColorGrid();
    // A swatch opens the colour chooser; the draft takes only a confirmed colour.
    void ColorCellClicked(int row, int column);

    QTableWidget* ColorGrid() const { return colors_; }

private:
    SettingsModel& model_;
    const LanguageTable& lang_;

    QTableWidget* colors_ = nullptr;
};
