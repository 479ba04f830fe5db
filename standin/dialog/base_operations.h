// The WDialogBase operations that a dialog object inherits (entries
// 20937-20966), as the engine calls them: through the object's own class
// table, so that a derived class may replace any of them. Each is a
// notification whose base answers 0; the engine does not act on the answer,
// so an object that answers otherwise changes nothing. When the engine
// calls each one is listed in standin/README.md.
#pragma once

#include <cstdint>

namespace standin::dialog {

// The value is the class-table slot.
enum class BaseOperation : std::uint8_t {
  // Opening, in this order; the last two after the opening event and the
  // first focus event.
  Awaken = 2,             // 20958
  Palette = 3,            // 20959
  HelpContext = 4,        // 20960
  Placed = 5,             // 20961
  ValuesLoaded = 6,       // 20962
  ControlsReady = 7,      // 20963
  BeforeFirstDraw = 8,    // 20964
  Opened = 9,             // 20965
  FocusSettled = 10,      // 20966
  // While the dialog runs.
  KeyArrived = 11,        // 20957
  Drawn = 12,             // 20948
  FocusLeaving = 13,      // 20949
  FocusEntered = 14,      // 20950
  FieldAccepted = 15,     // 20951
  CheckBoxToggled = 16,   // 20952
  ButtonPressed = 17,     // 20953
  ListMoved = 18,         // 20954
  ListRefreshed = 19,     // 20955
  CommandDone = 20,       // 20956
  Idle = 21,              // 20947
  // Closing, in this order, after the closing event.
  EndModal = 23,          // 20939
  ValuesStored = 24,      // 20940
  FocusReleased = 25,     // 20941
  Hidden = 26,            // 20942
  ControlsReleased = 27,  // 20943
  PaletteReleased = 28,   // 20944
  ScreenRestored = 29,    // 20945
  ShutDown = 30,          // 20946
  Closed = 31,            // 20937
};

inline constexpr BaseOperation kOpeningOperations[] = {
    BaseOperation::Awaken,       BaseOperation::Palette,       BaseOperation::HelpContext,
    BaseOperation::Placed,       BaseOperation::ValuesLoaded,  BaseOperation::ControlsReady,
    BaseOperation::BeforeFirstDraw,
};

inline constexpr BaseOperation kClosingOperations[] = {
    BaseOperation::EndModal,         BaseOperation::ValuesStored,    BaseOperation::FocusReleased,
    BaseOperation::Hidden,           BaseOperation::ControlsReleased, BaseOperation::PaletteReleased,
    BaseOperation::ScreenRestored,   BaseOperation::ShutDown,        BaseOperation::Closed,
};

}  // namespace standin::dialog

namespace standin::testing {

// How often the base's own operation of that ordinal (20937-20966) ran.
long BaseOperationCalls(std::uint16_t ordinal);

}  // namespace standin::testing
