#pragma once
// The support report: the support web page opened with the user's details
// and the machine's description in its query string.

#include <string>

#include "dialogs/system_facts.h"

namespace lumibench {

struct DialogServices;
struct ProgramIdentity;
struct UserDetails;

namespace dialogs {

// "Version: 1.05  Revision: 3": the minor version always with two digits.
std::string SupportVersionText(const ProgramIdentity& identity);

// The whole address. Every value is percent-encoded (UTF-8, everything but
// letters, digits and "-._~"), so that blanks, "&", "=" or "#" in a user's
// details cannot break the query or add parameters of their own.
std::string SupportReportAddress(const std::string& supportAddress, const UserDetails& user,
                                 const ProgramIdentity& identity, const SystemFacts& facts);

}  // namespace dialogs

// Builds the address from the store and this machine, and opens it in the
// web browser. Returns false when the browser could not be started.
bool SubmitSupportReport(DialogServices& services);

}  // namespace lumibench
