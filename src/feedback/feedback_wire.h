// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringView>

// What the feedback window and the feedback service agree on: the request paths, the form's
// field names, the answers and the bounds of every field. Both sides and their tests take
// these from here, so the window never sends what the service would refuse.
namespace feedback {

inline constexpr char kTypeListPath[] = "/softapi/index.php/api/Api/gettype";
inline constexpr char kImagePath[] = "/softapi/index.php/api/V/v";
inline constexpr char kSubmitPath[] = "/softapi/index.php/api/Api/submit";

// Fields of the form-encoded submission.
inline constexpr char kNameField[] = "name";
inline constexpr char kMailField[] = "mail";
inline constexpr char kTypeField[] = "type";
inline constexpr char kContentField[] = "content";
inline constexpr char kCodeField[] = "verify";
inline constexpr char kSoftwareField[] = "soft";

// Answers to a submission.
inline constexpr char kStored[] = "1";
inline constexpr char kWrongCode[] = "-1";
inline constexpr char kNotStored[] = "0";

// The cookie sent with each verification picture; the code and the submission budget belong
// to the client that holds it, not to its address, which a proxy or a NAT may share.
inline constexpr char kClientCookie[] = "lumeno_client";

// Field bounds in characters as counted by character_count().
inline constexpr int kNameLimit = 64;
inline constexpr int kMailLimit = 128;
inline constexpr int kContentLimit = 2000;
inline constexpr int kCodeLimit = 16;

// Characters are Unicode code points: a character outside the basic plane counts once.
inline qsizetype character_count(QStringView text)
{
    qsizetype count = 0;
    for (const QChar c : text)
        count += c.isLowSurrogate() ? 0 : 1;
    return count;
}

} // namespace feedback
