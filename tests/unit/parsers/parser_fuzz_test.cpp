// Every parser of a text the update server delivers (gateway, update list,
// post-update script, setup.bat, firewall.ini, the release signature file
// with its root statements and release-key certificate, block index), driven
// in process with seeded hostile inputs. Each input must end without a crash,
// in bounded time and with output bounded by its size. The seed is printed; set
// ARKENFEL_FUZZ_SEED to replay a run (ARKENFEL_FUZZ_INPUTS sets the count).
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

#include "base/ansi_text.h"
#include "base/message_box.h"
#include "base/usable_path.h"
#include "release/block_index.h"
#include "release/gateway.h"
#include "release/ini_reader.h"
#include "release/list_entry.h"
#include "install/firewall.h"
#include "install/list_file.h"
#include "install/script_line.h"
#include "integrity/release_signature.h"
#include "integrity/trust_blocks.h"
#include "tests/support/test_env.h"
#include "tests/unit/parsers/fuzz_inputs.h"
#include "base/local_files.h"

namespace {

const std::string kFolder = "C:\\ARKENFEL\\";
constexpr double kMaxMillisecondsPerInput = 500;
constexpr SIZE_T kMaxMemory = 512u << 20;

// What one parser made of one input, in bytes: must stay in proportion to it.
using Parser = std::function<size_t(const std::string& input)>;

size_t ParseGatewayText(const std::string& text) {
    std::string value;
    size_t out = 0;
    for (const char* key : {"", "abc"}) {
        if (release::ParseGateway(text, value, key)) out += value.size();
    }
    return out;
}

// The list as the profile functions hand it over: NUL-separated lines.
size_t ParseListSection(const std::string& buffer) {
    const base::StringList lines = release::SplitNulList(buffer.data(), buffer.size());
    const auto values = release::ParseSectionValues(lines);
    size_t out = 0;
    for (const std::string& key : release::ParseSectionKeys(lines, "=")) {
        release::ListEntry entry;
        release::ParseListKey(key, entry);
        const auto value = values.find(base::ToLowerAnsi(base::Trim(key)));
        if (value != values.end()) release::ParseListValue(value->second, entry);
        base::IsUsablePath(release::FullPath(entry, kFolder) + "_");
        // The folder an entry is put in is not the input's doing.
        out += entry.remoteName.size() + (entry.isSystemPath ? 0 : entry.localPath.size()) + entry.version.size() +
               entry.fingerprint.size() + entry.revision.size();
    }
    return out;
}

size_t ParseScript(const std::string& text) {
    size_t out = 0;
    for (const std::string& line : install::ScriptLines(text)) {
        const install::ScriptLine parsed = install::ParseScriptLine(line, kFolder);
        base::IsUsablePath(parsed.path);
        base::IsUsableCommandLine(parsed.managed ? parsed.path : parsed.command);
        const std::string echo = base::EchoInBox(line);
        EXPECT_LE(echo.size(), 304u);
        out += parsed.command.size() + parsed.regPath.size() + parsed.regValue.size() +
               (parsed.managed ? parsed.path.size() - std::min(parsed.path.size(), kFolder.size()) : 0);
    }
    return out;
}

size_t ParseSetupBat(const std::string& text) {
    base::StringList lines;
    base::SplitLines(text, lines);
    size_t out = 0;
    for (const std::string& line : lines) {
        const std::string path = install::ListItemPath(kFolder + "setup.bat", line);
        base::IsUsablePath(path);
        out += line.size();
    }
    return out;
}

size_t ParseFirewallList(const std::string& text) {
    base::StringList lines;
    base::SplitLines(text, lines);
    size_t out = 0;
    for (const std::string& line : lines) {
        const install::FirewallLine parsed = install::ParseFirewallLine(kFolder + "firewall.ini", line);
        base::IsUsablePath(parsed.programPath);
        out += parsed.programPath.size() - std::min(parsed.programPath.size(), kFolder.size()) +
               parsed.displayName.size();
    }
    return out;
}

// What the signature reader takes out of the text (the signed part is the
// text itself, so it is not counted again).
size_t ParseSignature(const std::string& text) {
    integrity::SignatureFile file;
    if (!integrity::ParseSignatureFile(text, file)) return 0;
    size_t out = file.manifest.folder.size() + file.signature.size();
    for (const auto& signedFile : file.manifest.files) out += signedFile.first.size() + sizeof(signedFile.second);
    return out;
}

size_t ParseBlockIndex(const std::string& bytes) {
    release::BlockIndex index;
    if (!release::ParseIndex(bytes, index)) return 0;
    size_t out = index.blocks.size() * sizeof(release::BlockSum);
    for (const std::string& seed : index.seeds) out += seed.size();
    return out;
}

// A signature file of three files, signed with made-up bytes: the reader
// checks the layout, not the signature.
std::string SampleSignatureFile() {
    integrity::ReleaseManifest manifest;
    manifest.folder = "2026.12a";
    manifest.serial = 1796758132;
    for (const char* name : {"Arkenfel.exe", "bin/engine.dll", "data/world.pak.blkidx"}) {
        integrity::SignedFile& file = manifest.files[name];
        file.size = 13312;
        file.sha256.fill(0xA5);
    }
    return integrity::SignatureFileText(integrity::ManifestText(manifest), std::vector<uint8_t>(384, 0x3C));
}

std::string SampleBlockIndex() {
    release::BlockIndex index;
    index.blockSize = 512;
    index.fileSize = 512 * 5 + 100;
    index.blocks.resize(6);
    for (size_t i = 0; i < index.blocks.size(); ++i) index.blocks[i].weak = static_cast<uint32_t>(i * 0x01010101u);
    return release::SerializeIndex(index);
}

std::string SampleSeededIndex() {
    release::BlockIndex index;
    release::ParseIndex(SampleBlockIndex(), index);
    index.seeds = {"data/old.pak", "moved/other.pak"};
    return release::SerializeIndex(index);
}

size_t SignatureBytes(const integrity::RootSignedBlock& block) {
    size_t out = block.signedText.size();
    for (const integrity::RootSignature& signature : block.signatures) out += signature.signature.size() + 32;
    return out;
}

size_t ParseRootStatementText(const std::string& text) {
    integrity::RootStatement statement;
    if (!integrity::ParseRootStatement(text, statement)) return 0;
    EXPECT_LE(statement.roots.keys.size(), integrity::kMaxRootKeys);
    EXPECT_LE(statement.block.signatures.size(), integrity::kMaxRootSignatures);
    size_t out = SignatureBytes(statement.block);
    for (const std::string& key : statement.roots.keys) out += key.size();
    return out;
}

size_t ParseCertificateText(const std::string& text) {
    integrity::KeyCertificate certificate;
    if (!integrity::ParseKeyCertificate(text, certificate)) return 0;
    return SignatureBytes(certificate.block) + certificate.releaseKey.size();
}

size_t ReadSignatureFileBlocks(const std::string& text) {
    integrity::SignatureBlocks blocks;
    if (integrity::ReadSignatureBlocks(text, blocks) != integrity::BlocksRead::kRead) return 0;
    EXPECT_LE(blocks.statements.size(), integrity::kMaxChainSteps);
    EXPECT_LE(blocks.release.manifest.channels.size(), integrity::kMaxChannels);
    size_t out = blocks.release.signedText.size();
    for (const auto& statement : blocks.statements) out += SignatureBytes(statement.block);
    return out + (blocks.certified ? SignatureBytes(blocks.certificate.block) : 0);
}

// Texts of the trust blocks' shape, their keys and signatures short hex.
const std::string kStatementSample =
    "ARKENFEL ROOT STATEMENT 1\r\nroot-version 2\r\nthreshold 1\r\nroot-key 3082aa\r\nroot-key 3082bb\r\n"
    "root-signature " + std::string(64, '1') + " 0a0b\r\nroot-signature " + std::string(64, '2') + " 0c0d\r\n";
const std::string kCertificateSample =
    "ARKENFEL RELEASE KEY CERTIFICATE 1\r\nkey-serial 7\r\nrelease-key 3082cc\r\nroot-signature " +
    std::string(64, '3') + " 0e0f\r\n";
const std::string kReleaseSample = "ARKENFEL RELEASE SIGNATURE 1\r\nfolder 2026a\r\nserial 5\r\nchannel\r\nchannel beta\r\n"
                                   "list " + std::string(64, 'a') + "\r\nfile 6 " + std::string(64, 'b') +
                                   " readme.txt\r\nsignature 0102\r\n";
const std::vector<std::string> kTrustTokens = {"\r\n", " ", "root-signature ", "root-key ", "ARKENFEL ", "channel",
                                               std::string(64, 'f')};

SIZE_T MemoryInUse() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    return counters.PagefileUsage;
}

struct Outcome {
    size_t inputs = 0;
    double slowestMs = 0;
    double seconds = 0;
};

// Runs the parser on the generator's inputs; stops at the first input that
// breaks a bound and prints it in a form that can be kept as a test case.
Outcome Drive(const char* name, const Parser& parse, fuzz::InputGenerator& inputs) {
    using Clock = std::chrono::steady_clock;
    Outcome outcome;
    const auto start = Clock::now();
    for (size_t i = 0; i < fuzz::InputsPerParser(); ++i) {
        const std::string input = inputs.Next();
        const auto before = Clock::now();
        const size_t out = parse(input);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - before).count();
        outcome.slowestMs = std::max(outcome.slowestMs, ms);
        const bool memoryOk = i % 1000 != 0 || MemoryInUse() < kMaxMemory;
        if (ms > kMaxMillisecondsPerInput || out > 2 * input.size() + 1024 || !memoryOk) {
            ADD_FAILURE() << name << " input " << i << " (" << input.size() << " bytes): " << ms << " ms, output "
                          << out << " bytes, memory ok " << memoryOk;
            testenv::WriteFileBytes(testenv::BinDir() + "fuzz_failure_" + name + ".bin", input);
            break;
        }
        ++outcome.inputs;
    }
    outcome.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%-12s %zu inputs in %.1f s, slowest %.1f ms\n", name, outcome.inputs, outcome.seconds,
                outcome.slowestMs);
    return outcome;
}

class ParserFuzz : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        seed_ = fuzz::RunSeed();
        std::printf("fuzz seed %u (replay with ARKENFEL_FUZZ_SEED=%u)\n", seed_, seed_);
    }
    void Check(const char* name, const Parser& parse, std::vector<std::string> samples,
               std::vector<std::string> tokens) {
        fuzz::InputGenerator inputs(seed_, std::move(samples), std::move(tokens));
        EXPECT_EQ(Drive(name, parse, inputs).inputs, fuzz::InputsPerParser());
    }
    static uint32_t seed_;
};
uint32_t ParserFuzz::seed_ = 0;

TEST_F(ParserFuzz, Gateway) {
    Check("gateway", ParseGatewayText, {"2026a\r\n", " 1.0.3 \r\nabc = 2017b\r\n=x\r\n", "a=x\r\na=y\r\n"},
          {"=", "abc=", "\r\n"});
}

TEST_F(ParserFuzz, UpdateList) {
    using namespace std::string_literals;
    Check("list", ParseListSection,
          {"bin/a.dll=1, 0, 0, 5|77112|0123456789abcdef|\0readme.txt=|34|fedcba9876543210|r2\0\0"s,
           "a.dat|$SYSTEM$\\a.dat=|1500|0011223344556677\0\0"s},
          {"$system$", "|", "="});
}

TEST_F(ParserFuzz, PostUpdateScript) {
    Check("script", ParseScript,
          {"abc.exe|$WAIT$:-1\r\n$HIDE$ setup.exe /q\r\n",
           "abc.exe|$WAIT$:5000|$REG_PATH$:HKEY_LOCAL_MACHINE\\SOFTWARE\\X\\Version|$REG_VALUE$:1.2.0.0\r\n"
           "Nanum.ttf|$REG_PATH$:HKEY_CURRENT_USER\\Software\\X\\Font|$REG_VALUE$:1\r\n"},
          {"$WAIT$:", "$REG_PATH$:", "$REG_VALUE$:", "$HIDE$", "|"});
}

TEST_F(ParserFuzz, SetupBat) {
    Check("setup.bat", ParseSetupBat, {"fixture_component.dll\r\n\r\n bin\\x.dll \r\n"}, {"\r\n", ".dll"});
}

TEST_F(ParserFuzz, FirewallIni) {
    Check("firewall", ParseFirewallList, {"Arkenfel.exe|Arkenfel\r\nbin\\launcher.exe\r\nx.exe|y|z\r\n"},
          {"|", "\r\n", ".exe"});
}

TEST_F(ParserFuzz, ReleaseSignatureFile) {
    Check("signature", ParseSignature, {SampleSignatureFile()}, {"\r\n", "file ", " ", "signature ", "0"});
}

TEST_F(ParserFuzz, BlockIndex) {
    Check("blockindex", ParseBlockIndex, {SampleBlockIndex(), SampleSeededIndex()},
          {"ARKBLKIX", std::string("\x01\0\0\0", 4), std::string("\x02\0\0\0", 4), std::string("\0\x02\0\0", 4),
           std::string(20, '\xFF'), std::string("\x0c\0", 2), "../"});
}

TEST_F(ParserFuzz, RootStatement) { Check("statement", ParseRootStatementText, {kStatementSample}, kTrustTokens); }

TEST_F(ParserFuzz, KeyCertificate) { Check("certificate", ParseCertificateText, {kCertificateSample}, kTrustTokens); }

TEST_F(ParserFuzz, SignatureFileBlocks) {
    Check("sig blocks", ReadSignatureFileBlocks,
          {kStatementSample + kCertificateSample + kReleaseSample, kCertificateSample + kReleaseSample,
           kStatementSample + kStatementSample + kReleaseSample},
          kTrustTokens);
}

// The same list texts as files, through the profile functions and the
// reader's growing buffers: fewer inputs, as each is a file.
TEST_F(ParserFuzz, UpdateListFiles) {
    testenv::ScratchDir dir("listfuzz");
    const std::string path = dir / "Arkenfel_List.ini_";
    fuzz::InputGenerator inputs(seed_, {"[a]\r\nbin/a.dll=1, 0, 0, 5|77112|0123456789abcdef|\r\n[b]\r\nx=|1|2|3\r\n"},
                                {"[", "]", "=", "|", "\r\n"});
    for (int i = 0; i < 300; ++i) {
        const std::string text = inputs.Next();
        testenv::WriteFileBytes(path, text);
        release::CIniReader reader(path);
        size_t out = 0;
        for (const std::string& section : reader.GetIniSectionNames()) {
            for (const std::string& key : reader.GetIniSectionKeys(section)) out += reader.ReadIniField(section, key, 1).size();
        }
        ASSERT_LE(out, text.size()) << "input " << i;
    }
}

// What the fuzzing and the hostile-text reports found, kept as plain cases.
TEST(ParserRegressions, HostileTextsFound) {
    // A component name of 10,000 characters (the type-library loader overran its stack).
    EXPECT_FALSE(base::IsUsablePath(install::ListItemPath(kFolder + "setup.bat", std::string(10000, 'a') + ".dll")));
    // A font name the font functions never come back from.
    EXPECT_FALSE(base::IsUsablePath(kFolder + std::string(300, 'f') + ".ttf"));
    EXPECT_TRUE(base::IsUsablePath(kFolder + "bin\\가나다.dll"));
    EXPECT_FALSE(base::IsUsablePath(kFolder + "a\rb.dll"));
    EXPECT_FALSE(base::IsUsablePath(kFolder + "a:b.dll"));
    // A script line of 5000 fields: the box echoes 300 bytes of it.
    std::string line = "nosuch.exe";
    for (int i = 0; i < 5000; ++i) line += "|$WAIT$:1";
    EXPECT_EQ(line.substr(0, 300) + " ...", base::EchoInBox(line));
    // A list buffer without its closing NULs ends at its last byte.
    const std::string unterminated = "a=1|2";
    EXPECT_EQ(base::StringList({"a=1|2"}), release::SplitNulList(unterminated.data(), unterminated.size()));
    // A lone CR does not end a gateway line: it stays in the folder (and the
    // address that holds it is refused before any request).
    std::string folder;
    EXPECT_TRUE(release::ParseGateway("2026a\rabc\r\n", folder, "abc"));
    EXPECT_EQ("2026a\rabc", folder);
}

}  // namespace
