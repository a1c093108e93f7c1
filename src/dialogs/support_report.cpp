#include "dialogs/support_report.h"

#include <QGuiApplication>
#include <QUrl>

#include <cstdio>
#include <utility>
#include <vector>

#include "dialogs/dialog_services.h"
#include "dialogs/user_information.h"

namespace lumibench {
namespace dialogs {

std::string SupportVersionText(const ProgramIdentity& identity) {
    char minor[16];
    std::snprintf(minor, sizeof minor, "%02d", identity.minor);
    return "Version: " + std::to_string(identity.major) + "." + minor +
           "  Revision: " + std::to_string(identity.revision);
}

std::string SupportReportAddress(const std::string& supportAddress, const UserDetails& user,
                                 const ProgramIdentity& identity, const SystemFacts& facts) {
    const std::vector<std::pair<const char*, std::string>> fields = {
        {"Name", user.name},
        {"CompanyName", user.companyName},
        {"Telephone", user.voicePhone},
        {"Email", user.email},
        {"UserNumber", user.userNumber},
        {"Product", identity.title},
        {"Version", SupportVersionText(identity)},
        {"RAM", std::to_string(facts.memory.totalPhysical)},
        {"AvailRam", std::to_string(facts.memory.availablePhysical)},
        {"VirtMem", std::to_string(facts.memory.totalVirtual)},
        {"AvailVirt", std::to_string(facts.memory.availableVirtual)},
        {"FreeSpace", std::to_string(facts.freeDisk)},
        {"Color", facts.colorType},
        {"Res", facts.resolution},
        {"Font", facts.fontType},
        {"OS", facts.osName},
        {"OSVer", facts.versionNumber},
        {"OSBuild", facts.build},
        {"OSSP", facts.servicePack},
        {"GraphicsCard", facts.videoCard},
        {"Processor", facts.processor},
    };
    std::string address = supportAddress;
    bool first = true;
    for (const auto& [key, value] : fields) {
        address += first ? (supportAddress.find('?') != std::string::npos ? "&" : "?") : "&";
        first = false;
        address += key;
        address += '=';
        address += QUrl::toPercentEncoding(QString::fromStdString(value)).toStdString();
    }
    return address;
}

}  // namespace dialogs

bool SubmitSupportReport(DialogServices& services) {
    const UserDetails user = ReadUserDetails(services.store);
    const dialogs::SystemFacts facts =
        dialogs::CollectSystemFacts(services.programFolder, QGuiApplication::primaryScreen());
    return services.OpenAddress(dialogs::SupportReportAddress(services.supportAddress, user, services.identity, facts));
}

}  // namespace lumibench
