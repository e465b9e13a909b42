#include "tools/release_list/release_plan.h"

#include <algorithm>
#include <map>

#include "base/ansi_text.h"
#include "base/code_page.h"
#include "release/staging_layout.h"
#include "integrity/release_signature.h"
#include "tools/release_list/list_names.h"
#include "release/list_text.h"
#include "tools/release_list/name_pattern.h"

namespace release_list {
namespace {

const char kSystemPrefix[] = "$system$\\";

void CheckOptionTexts(const ReleaseOptions& options, base::StringList& problems) {
    auto report = [&](const std::string& what, const std::string& problem) {
        if (!problem.empty()) problems.push_back(what + " " + problem);
    };
    report("section name \"" + options.defaultSection + "\"", CheckSectionName(options.defaultSection));
    for (const NamedRule& rule : options.sections)
        report("section name \"" + rule.name + "\"", CheckSectionName(rule.name));
    for (const NamedRule& rule : options.revisions)
        report("revision \"" + rule.value + "\"", CheckRevision(rule.value));
    for (const NamedRule& rule : options.localPaths)
        report("local path \"" + rule.value + "\"", CheckLocalPath(rule.value, base::ListCodePage()));
}

// Section names are compared without case by the updater's INI reading, so
// "Data" and "DATA" would be one section there.
void AddSection(base::StringList& order, const std::string& name) {
    for (const std::string& known : order) {
        if (base::EqualsNoCase(known, name)) return;
    }
    order.push_back(name);
}

// First rule whose pattern matches; counts the use of each rule.
template <typename Rule, typename PatternOf>
const Rule* FirstMatch(const std::vector<Rule>& rules, std::vector<int>& uses, const std::string& remote,
                       PatternOf pattern) {
    for (size_t i = 0; i < rules.size(); ++i) {
        if (MatchesPattern(pattern(rules[i]), remote)) {
            ++uses[i];
            return &rules[i];
        }
    }
    return nullptr;
}

template <typename Rule, typename Describe>
void ReportUnused(const std::vector<Rule>& rules, const std::vector<int>& uses, Describe describe,
                  base::StringList& problems) {
    for (size_t i = 0; i < rules.size(); ++i) {
        if (uses[i] == 0) problems.push_back(describe(rules[i]) + " matches no file of the release");
    }
}

std::string InstallIdentity(const PlannedFile& planned) {
    return LocalPathIdentity(planned.localPath.empty() ? planned.file.remoteName : planned.localPath);
}

// Two files on one path, a file on the staged name ("_") of another, or on
// one of the updater's own working files, cannot be installed reliably.
void CheckInstallPaths(const std::vector<PlannedFile>& files, base::StringList& problems) {
    std::map<std::string, std::string> owners;  // install identity -> remote name
    for (const PlannedFile& planned : files) {
        const std::string identity = InstallIdentity(planned);
        const auto known = owners.find(identity);
        if (known != owners.end()) {
            problems.push_back("\"" + known->second + "\" and \"" + planned.file.remoteName +
                               "\" would both install to " + identity);
            continue;
        }
        owners[identity] = planned.file.remoteName;
    }
    using release::StagedName;
    const std::string reserved[] = {
        base::ToLowerAnsi(release::kListFileName),        base::ToLowerAnsi(StagedName(release::kListFileName)),
        base::ToLowerAnsi(StagedName(release::kGatewayFileName)), base::ToLowerAnsi(StagedName(release::kSignatureFileName)),
        base::ToLowerAnsi(release::kRecordSignatureName), base::ToLowerAnsi(release::kRecordListName)};
    for (const auto& owner : owners) {
        for (const std::string& name : reserved) {
            if (owner.first == name)
                problems.push_back("\"" + owner.second + "\" would install to " + name +
                                   ", which the updater uses for itself");
        }
        const auto staged = owners.find(StagedName(owner.first));
        if (staged != owners.end())
            problems.push_back("\"" + staged->second + "\" would install to the name the updater stages \"" +
                               owner.second + "\" under while downloading it");
    }
}

}  // namespace

ReleasePlan PlanRelease(const ReleaseOptions& options, std::vector<ScannedFile> files, base::StringList& problems) {
    CheckOptionTexts(options, problems);
    std::sort(files.begin(), files.end(), [](const ScannedFile& a, const ScannedFile& b) {
        const std::string la = base::ToLowerAnsi(a.remoteName), lb = base::ToLowerAnsi(b.remoteName);
        return la != lb ? la < lb : a.remoteName < b.remoteName;
    });

    ReleasePlan plan;
    for (const NamedRule& rule : options.sections) AddSection(plan.sectionOrder, rule.name);

    std::vector<int> sectionUses(options.sections.size()), localUses(options.localPaths.size()),
        systemUses(options.systemPatterns.size()), revisionUses(options.revisions.size());
    bool defaultUsed = false;
    for (ScannedFile& file : files) {
        PlannedFile planned;
        const std::string remote = file.remoteName;
        planned.file = std::move(file);

        const NamedRule* section = FirstMatch(options.sections, sectionUses, remote,
                                              [](const NamedRule& r) { return r.value; });
        planned.section = section ? section->name : options.defaultSection;
        defaultUsed = defaultUsed || !section;

        // --local names one file exactly; "/" patterns would be surprising here.
        for (size_t i = 0; i < options.localPaths.size(); ++i) {
            if (!base::EqualsNoCase(options.localPaths[i].name, remote)) continue;
            ++localUses[i];
            planned.localPath = base::ReplaceAll(options.localPaths[i].value, "/", "\\");
            break;
        }
        if (FirstMatch(options.systemPatterns, systemUses, remote, [](const std::string& p) { return p; })) {
            if (!planned.localPath.empty())
                problems.push_back("\"" + remote + "\" has both --local and --system");
            planned.localPath = kSystemPrefix + base::FileNamePart(base::ReplaceAll(remote, "/", "\\"));
        }
        if (planned.localPath == base::ReplaceAll(remote, "/", "\\")) planned.localPath.clear();

        const NamedRule* revision = FirstMatch(options.revisions, revisionUses, remote,
                                               [](const NamedRule& r) { return r.name; });
        if (revision) planned.revision = revision->value;
        plan.files.push_back(std::move(planned));
    }
    if (defaultUsed) AddSection(plan.sectionOrder, options.defaultSection);

    ReportUnused(options.sections, sectionUses,
                 [](const NamedRule& r) { return "--section " + r.name + "=" + r.value; }, problems);
    ReportUnused(options.localPaths, localUses,
                 [](const NamedRule& r) { return "--local " + r.name + "=" + r.value; }, problems);
    ReportUnused(options.systemPatterns, systemUses, [](const std::string& p) { return "--system " + p; }, problems);
    ReportUnused(options.revisions, revisionUses,
                 [](const NamedRule& r) { return "--revision " + r.name + "=" + r.value; }, problems);
    CheckInstallPaths(plan.files, problems);
    return plan;
}

}  // namespace release_list
