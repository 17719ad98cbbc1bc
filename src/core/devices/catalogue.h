#pragma once
// The fixed list of meter models, their protocol families and the set-up each
// family applies to the shared state when a model is selected.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

struct AppState;

// Which parser handles a model's printed lines.
enum class DeviceFamily { A100, N500, N335, K230, H260, J70xx, G40xx, P650, P670 };

// The set-up row a model applies: A100 and P670 share one, K230 and N335 another.
enum class FamilyInit { A, APrime, H, N, K, P, J, G };

struct CatalogueModel {
    const char* name;
    DeviceFamily family;
    FamilyInit init;
    int channelCount;
};

// All 54 models in catalogue order.
const std::vector<CatalogueModel>& CatalogueModels();
// The model of this exact name, or nullptr.
const CatalogueModel* FindModel(const QString& name);
QString FamilyName(DeviceFamily family);

// The parser family for an exact model name; none for a name outside the catalogue.
std::optional<DeviceFamily> ParserFamilyForModel(const QString& name);

// The catalogue string: every model name concatenated in catalogue order.
const QString& CatalogueString();
// Models for which 300 and 600 baud are not offered, concatenated.
const QString& HighSpeedString();
// Models with a user-chosen temperature unit, concatenated.
const QString& UserUnitString();

// The catalogue's model named by `name`: the model equal to it ignoring case,
// else the first model (in catalogue order) that contains it ignoring case;
// "" when there is none or `name` is empty.
QString ValidateDeviceName(const QString& name);
// The catalogue's spelling of a model named in any case ("k231" -> "K231");
// "" when no model has that name. Unlike ValidateDeviceName, no part of a name.
QString CanonicalModelName(const QString& name);

// Applies the model's family set-up (protocol strings, channel count,
// reply time-out, forced baud rate). A name of no family changes only the time-out.
void SelectDeviceFamily(AppState& state, const QString& name);

// The command that asks the model for a reading; "" for a name outside the catalogue.
QString PollCommandFor(const QString& name);

// The state part of selecting a device: family set-up, channel records re-made
// with their defaults, current readings cleared (alarm settings kept). Returns
// false and changes nothing for an empty name. The caller rebuilds the value
// windows and stops a running connection.
bool ApplyDevice(AppState& state, const QString& name, double now);

// Selecting a device from the windows and the start-up: a change of device
// is ApplyDevice (true returned); the device whose channel records exist
// already keeps them, names and flags as the configuration set them, and
// only gets its family set-up and cleared readings (false).
bool SelectDevice(AppState& state, const QString& name, double now);

// Clears every channel's reading with time `now` and counts the channels in use.
void ResetReadings(AppState& state, double now);

// Tests on the device name that other parts of the program rely on.
bool ChannelsComeFromDevice(const QString& name); // channel rows not user-selectable
bool IsJ70Device(const QString& name);             // J70xx start-up, table and graph behaviour
bool IsG40Device(const QString& name);             // G40xx start-up behaviour
bool UsesJ70WakeUp(const QString& name);           // the watchdog's wake-up burst
bool IsJ705x(const QString& name);                 // channel chosen by quantity (J7050, J7050M)
bool IsHighSpeedOnly(const QString& name);         // 300 and 600 baud not offered
bool HasUserUnit(const QString& name);             // temperature unit chosen by the user
bool HasFixedBaudRate(const QString& name);        // the USB models

// Models in the order of the settings dialog's device list.
QStringList DeviceListOrder();
// Baud rates offered for a model.
QStringList BaudRatesFor(const QString& name);
// The baud rate a model forces, or "" when the user chooses.
QString ForcedBaudRate(const QString& name);
// The settings dialog's label of a channel row ("" keeps the default label).
QString SpecialChannelLabel(const QString& name, int channel);
