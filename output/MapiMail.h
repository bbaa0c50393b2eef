#pragma once

#include <QString>
#include <string>

// The result of MapiKuldes when the desktop's mail helper cannot be found or started.
inline constexpr int MapiNincsLevelezo = -1;

// Hands one message to the user's mail program, which shows its own compose window with the
// subject, body, recipient and attachment filled in; the user sends it from there. The
// program never talks to a mail server itself.
//
// The mail program is reached through xdg-email (found on PATH), every argument passed as an
// argument of its own, never through a shell. Empty texts are left out: no subject, no body,
// no attachment, no recipient. The recipient is passed by its address alone, and the sender
// is dropped altogether, since the mail program knows its user and xdg-email has no way to
// name a sender or a recipient's name. Texts are code page 1250; the file name is a path.
//
// Returns MapiNincsLevelezo (-1) when xdg-email is missing or cannot be started, otherwise
// its exit status: 0 when the message was handed over, xdg-email's failure codes else (4
// also when it crashed). It returns when xdg-email has ended, delivering window messages
// meanwhile when the program has an event loop, and never shows a message of its own.
int MapiKuldes(const std::string& subject, const std::string& body, const QString& fileName,
               const std::string& senderName, const std::string& senderAddress,
               const std::string& recipientName, const std::string& recipientAddress);
