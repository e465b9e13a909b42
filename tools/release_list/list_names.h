// What the update list, the gateway file and the server's address scheme can
// carry. Each check returns an empty text when the value is fine, otherwise
// the reason, ready to follow the value's name in a message.
#pragma once

#include <string>

namespace release_list {

// A server-side name: "/"-separated segments, each starting with a letter,
// digit or "_" and going on with letters, digits and "._-~()+!,@". The name
// travels unescaped in the fn= query value, so nothing that a URL or the
// list would read differently is allowed; the reference server accepts
// exactly this set.
std::string CheckRemoteName(const std::string& name);
// A path below the install folder as written in a list key (after "|"):
// one the updater takes as staying below its folder (base::StaysBelowRoot),
// nothing the list format would split or trim. Bytes above 0x7F are allowed only when `ansiCodePage` is 949,
// the code page the updater reads its lists in.
std::string CheckLocalPath(const std::string& path, unsigned ansiCodePage);
// A section name of the list.
std::string CheckSectionName(const std::string& name);
// An optional revision text (value field 3).
std::string CheckRevision(const std::string& text);
// A key of the gateway file: the updater lower-cases its option and strips
// blanks, so only such keys can ever be chosen. Empty is the plain line.
std::string CheckGatewayKey(const std::string& key);

// A local path as the updater would compare it: "/" turned into "\" and
// lower-cased, for spotting two entries that land on one file.
std::string LocalPathIdentity(const std::string& path);

}  // namespace release_list
