// The boxes of the temperature service: a MessageTable text as an error or as a notice.
// Windows shows a message box without owner; the native build records the call instead.
#pragma once

enum class MessageKind { Error, Notice };

// Error: caption "エラー情報" and the stop icon. Notice: caption "確認情報" and the
// information icon. Both topmost and brought to the foreground; returns once dismissed.
void ShowMessage(MessageKind kind, unsigned index);
