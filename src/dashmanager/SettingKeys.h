#pragma once

#include <QStringView>

class QKeyEvent;

namespace zel {

/// Key tests the setting controls share for their typing filters.
namespace SettingKeys {

/// True when every printable character \a event types is a digit 0-9 or one of \a extra.
/// Keys that type nothing printable (backspace, arrows, Enter, editing shortcuts) pass.
bool typedOnly(const QKeyEvent *event, QStringView extra);

/// True for Return and the keypad's Enter.
bool isEnter(const QKeyEvent *event);

} // namespace SettingKeys

} // namespace zel
