#include "cycle/SealedEnvelope.h"

#include "DataStoreTestSupport.h"
#include "cycle/CalendarData.h"
#include "cycle/DataFile.h"
#include "cycle/DataStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <iostream>
#include <string_view>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Opened = DataEnvelope::Opened;
using keyring::Unlock;

// Low, so that the tests run quickly; the reader obeys whatever the header says.
constexpr std::uint32_t kTestIterations = 1000;
constexpr std::string_view kPassword = "Moon7abc";
constexpr std::size_t kSmallFileSize = 204 + 4 + 12 + 4096 + 16;

std::span<const std::uint8_t> Utf8(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

CalendarData SampleData(int marks = 3) {
    CalendarData data;
    for (int i = 0; i < marks; ++i) {
        data.ToggleMark(2024 + i / 12, 1 + i % 12, 3 + i % 20);
    }
    data.SetCycleLength(31);
    data.SetPeriodLength(6);
    return data;
}

bool SameState(const CalendarData& a, const CalendarData& b) {
    return a.Marks() == b.Marks() && a.GetCycleLength() == b.GetCycleLength() &&
           a.GetPeriodLength() == b.GetPeriodLength() &&
           a.GetShowFertilityWord() == b.GetShowFertilityWord();
}

// The envelopes under test take their key; the tests keep a copy.
keyring::SealingKey Copy(const keyring::SealingKey& key) {
    return {key.header,
            cng::SecretBytes(Bytes(key.dataKey.Data(), key.dataKey.Data() + key.dataKey.Size()))};
}

keyring::Protection NewProtection(std::string_view password = kPassword) {
    std::optional<keyring::Protection> protection =
        keyring::Create(Utf8(password), kTestIterations);
    EXPECT_TRUE(protection);
    return std::move(*protection);
}

SealedEnvelope UnlockedEnvelope(const Bytes& file, std::string_view password = kPassword) {
    keyring::Unlocked unlocked = keyring::UnlockWithPassword(file, Utf8(password));
    EXPECT_EQ(unlocked.status, Unlock::Unlocked);
    return SealedEnvelope(std::move(unlocked.key));
}

Opened OpenWith(const SealedEnvelope& envelope, const Bytes& file) {
    CalendarData data = SampleData(1);
    const Opened opened = envelope.Open(file, data);
    if (opened != Opened::Opened) {
        EXPECT_TRUE(data.Marks().empty()) << "a file that does not open leaves no marks";
    }
    return opened;
}

TEST(SealedKeyRingTest, OpensWithThePasswordAndWithTheRecoveryKey) {
    const keyring::Protection protection = NewProtection();
    const Bytes file = SealedEnvelope(Copy(protection.key)).Seal(SampleData());
    ASSERT_EQ(file.size(), kSmallFileSize);
    EXPECT_EQ(KindOf(file), FileKind::Sealed);
    EXPECT_TRUE(SealedEnvelope().IsWhole(file));
    EXPECT_EQ(OpenWith(SealedEnvelope(), file), Opened::Locked);

    keyring::Unlocked byPassword = keyring::UnlockWithPassword(file, Utf8(kPassword));
    ASSERT_EQ(byPassword.status, Unlock::Unlocked);
    EXPECT_EQ(byPassword.key.header, protection.key.header);
    const secrets::TypedRecoveryKey typed = secrets::ParseRecoveryKey(protection.recoveryKey);
    ASSERT_EQ(typed.problem, secrets::RecoveryKeyProblem::None) << protection.recoveryKey;
    keyring::Unlocked byRecovery = keyring::UnlockWithRecoveryKey(file, typed.key);
    ASSERT_EQ(byRecovery.status, Unlock::Unlocked);

    for (keyring::Unlocked* unlocked : {&byPassword, &byRecovery}) {
        CalendarData opened;
        EXPECT_EQ(SealedEnvelope(std::move(unlocked->key)).Open(file, opened), Opened::Opened);
        EXPECT_TRUE(SameState(opened, SampleData()));
    }

    secrets::RecoveryKey otherKey = typed.key;
    otherKey[15] ^= 0x01;
    EXPECT_EQ(keyring::UnlockWithPassword(file, Utf8("Moon7abd")).status, Unlock::WrongSecret);
    EXPECT_EQ(keyring::UnlockWithPassword(file, {}).status, Unlock::WrongSecret);
    EXPECT_EQ(keyring::UnlockWithRecoveryKey(file, otherKey).status, Unlock::WrongSecret);
}

TEST(SealedKeyRingTest, PasswordOpensHoweverItsAccentsWereTyped) {
    const std::optional<cng::SecretBytes> precomposed =
        cng::PasswordUtf8(L"\u00e9t\u00e9 \u00e0 Lyon");
    const std::optional<cng::SecretBytes> combining =
        cng::PasswordUtf8(L"e\u0301te\u0301 a\u0300 Lyon");
    ASSERT_TRUE(precomposed && combining);
    std::optional<keyring::Protection> protection =
        keyring::Create(precomposed->Span(), kTestIterations);
    ASSERT_TRUE(protection);
    const Bytes file = SealedEnvelope(std::move(protection->key)).Seal(SampleData());
    EXPECT_EQ(keyring::UnlockWithPassword(file, combining->Span()).status, Unlock::Unlocked);
}

TEST(SealedKeyRingTest, AfterAChangeTheOldSecretsOpenNothingNew) {
    const keyring::Protection old = NewProtection();
    const Bytes oldKeyBytes(old.key.dataKey.Data(), old.key.dataKey.Data() + 32);
    const SealedEnvelope oldEnvelope(Copy(old.key));
    const Bytes oldFile = oldEnvelope.Seal(SampleData());

    EXPECT_EQ(keyring::Change(oldFile, Utf8("Sun8xyzw"), Utf8("Star9pqr"), kTestIterations).status,
              Unlock::WrongSecret);
    keyring::Changed changed =
        keyring::Change(oldFile, Utf8(kPassword), Utf8("Star9pqr"), kTestIterations);
    ASSERT_EQ(changed.status, Unlock::Unlocked);
    ASSERT_TRUE(changed.protection);
    const std::string newRecoveryKey = changed.protection->recoveryKey;
    EXPECT_NE(newRecoveryKey, old.recoveryKey);
    EXPECT_NE(changed.protection->key.header, old.key.header);
    EXPECT_NE(
        Bytes(changed.protection->key.dataKey.Data(), changed.protection->key.dataKey.Data() + 32),
        oldKeyBytes);
    const SealedEnvelope newEnvelope(std::move(changed.protection->key));
    const Bytes newFile = newEnvelope.Seal(SampleData());

    const secrets::RecoveryKey oldRecovery = secrets::ParseRecoveryKey(old.recoveryKey).key;
    const secrets::RecoveryKey newRecovery = secrets::ParseRecoveryKey(newRecoveryKey).key;
    EXPECT_EQ(keyring::UnlockWithPassword(newFile, Utf8(kPassword)).status, Unlock::WrongSecret);
    EXPECT_EQ(keyring::UnlockWithRecoveryKey(newFile, oldRecovery).status, Unlock::WrongSecret);
    EXPECT_EQ(keyring::UnlockWithPassword(newFile, Utf8("Star9pqr")).status, Unlock::Unlocked);
    EXPECT_EQ(keyring::UnlockWithRecoveryKey(newFile, newRecovery).status, Unlock::Unlocked);
    // A copy sealed before the change (a backup) needs the old secrets.
    EXPECT_EQ(OpenWith(oldEnvelope, newFile), Opened::Locked);
    EXPECT_EQ(OpenWith(newEnvelope, oldFile), Opened::Locked);
    EXPECT_EQ(OpenWith(newEnvelope, newFile), Opened::Opened);
}

struct Refusal {
    FileKind kind;
    Opened opened;
};

// What a file sealed by this program answers with the byte at `at` changed.
Refusal ExpectedForChangedByte(std::size_t at, std::uint8_t changedByte) {
    if (at < sealed::kMagicSize) {
        return {FileKind::Plain, Opened::Damaged};
    }
    if (at < 12) {
        // Byte 8 of version 1 changed to 0: damage; any other change asks for a newer version.
        return changedByte == 0 && at == 8 ? Refusal{FileKind::DamagedHeader, Opened::Damaged}
                                           : Refusal{FileKind::NewerVersion, Opened::Locked};
    }
    if (at < sealed::kHeaderSize) {
        return {FileKind::DamagedHeader, Opened::Damaged};
    }
    return {FileKind::Sealed, Opened::Damaged};
}

TEST(SealedEnvelopeTest, EveryByteChangedIsRefused) {
    const Bytes file = SealedEnvelope(NewProtection().key).Seal(SampleData());
    const SealedEnvelope envelope = UnlockedEnvelope(file);
    ASSERT_EQ(file.size(), kSmallFileSize);
    for (std::size_t at = 0; at < file.size(); ++at) {
        Bytes changed = file;
        changed[at] ^= 0x01;
        const Refusal expected = ExpectedForChangedByte(at, changed[at]);
        ASSERT_EQ(KindOf(changed), expected.kind) << at;
        ASSERT_EQ(OpenWith(envelope, changed), expected.opened) << at;
        // Past the header and the body's length, only the key can tell.
        ASSERT_EQ(envelope.IsWhole(changed), at >= sealed::kHeaderSize + 4) << at;
        if (at < sealed::kHeaderSize) {
            ASSERT_EQ(keyring::UnlockWithPassword(changed, Utf8(kPassword)).status, Unlock::Damaged)
                << at;
        }
    }
    EXPECT_EQ(OpenWith(envelope, file), Opened::Opened);
}

TEST(SealedEnvelopeTest, FileCutShortOrLengthenedIsRefused) {
    const Bytes file = SealedEnvelope(NewProtection().key).Seal(SampleData());
    const SealedEnvelope envelope = UnlockedEnvelope(file);
    std::vector<std::size_t> lengths;
    for (std::size_t length = 0; length <= sealed::kHeaderSize; ++length) {
        lengths.push_back(length);
    }
    for (const std::size_t length : {205u, 208u, 220u, 236u, 1000u, 4331u}) {
        lengths.push_back(length);
    }
    for (const std::size_t length : lengths) {
        const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
        const FileKind kind = length == 0                    ? FileKind::Plain
                              : length < sealed::kHeaderSize ? FileKind::DamagedHeader
                                                             : FileKind::Sealed;
        ASSERT_EQ(KindOf(cut), kind) << length;
        ASSERT_EQ(OpenWith(envelope, cut), Opened::Damaged) << length;
        ASSERT_FALSE(envelope.IsWhole(cut)) << length;
    }
    for (const std::size_t extra : {1u, 4096u}) {
        Bytes longer = file;
        longer.resize(file.size() + extra, 0);
        EXPECT_EQ(OpenWith(envelope, longer), Opened::Damaged) << extra;
        EXPECT_FALSE(envelope.IsWhole(longer)) << extra;
    }
    // Cut at a block's end: lengths that would fit, but not the length the file says.
    const Bytes twoBlocks = envelope.Seal(SampleData(1100));
    ASSERT_EQ(twoBlocks.size(), kSmallFileSize + 4096);
    const Bytes blockShort(twoBlocks.begin(), twoBlocks.end() - 4096);
    EXPECT_EQ(OpenWith(envelope, blockShort), Opened::Damaged);
    EXPECT_FALSE(envelope.IsWhole(blockShort));
    EXPECT_TRUE(envelope.IsWhole(twoBlocks));
}

TEST(SealedEnvelopeTest, HeaderAskingForBillionsOfIterationsIsRefusedAtOnce) {
    const Bytes file = SealedEnvelope(NewProtection().key).Seal(SampleData());
    const sealed::Sha256& sha256 = cng::SystemSha256();
    for (const auto slot : {&sealed::Header::password, &sealed::Header::recovery}) {
        sealed::Header header = sealed::ParseHeader(file, sha256).header;
        (header.*slot).iterations = 4'000'000'000u;
        Bytes greedy = sealed::SerializeHeader(header, sha256).value();
        greedy.insert(greedy.end(), file.begin() + sealed::kHeaderSize, file.end());

        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(KindOf(greedy), FileKind::TooManyIterations);
        EXPECT_EQ(OpenWith(UnlockedEnvelope(file), greedy), Opened::Damaged);
        EXPECT_FALSE(SealedEnvelope().IsWhole(greedy));
        EXPECT_EQ(keyring::UnlockWithPassword(greedy, Utf8(kPassword)).status, Unlock::Damaged);
        EXPECT_EQ(keyring::UnlockWithRecoveryKey(greedy, {}).status, Unlock::Damaged);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    }
}

// Bodies that authenticate under the right key but are not what Seal writes.
TEST(SealedEnvelopeTest, AuthenticBodyThatSealCannotHaveWrittenIsDamaged) {
    const keyring::Protection protection = NewProtection();
    const Bytes& header = protection.key.header;
    const Bytes plain = datafile::Encode(SampleData());
    const Bytes padded = sealed::PadPlain(plain).value();
    const auto changed = [&](std::size_t at, std::uint8_t value) {
        Bytes bytes = padded;
        bytes[at] = value;
        return bytes;
    };
    const Bytes junk = sealed::PadPlain(Bytes(40, 'J')).value();
    struct Case {
        const char* name;
        Bytes padded;
        Bytes associatedData;
        Opened opened;
    };
    const Case cases[] = {
        {"as Seal writes it", padded, header, Opened::Opened},
        {"padding not zero", changed(4095, 1), header, Opened::Damaged},
        {"length past the block", changed(1, 0x10), header, Opened::Damaged},
        {"not a data file inside", junk, header, Opened::Damaged},
        {"another header as associated data", padded, Bytes(header.begin(), header.end() - 1),
         Opened::Damaged},
    };
    const Bytes nonce(sealed::kNonceSize, 7);
    const SealedEnvelope envelope(Copy(protection.key));
    for (const Case& c : cases) {
        Bytes file = header;
        const Bytes sealedText =
            cng::AesGcmSeal(protection.key.dataKey.Span(), nonce, c.associatedData, c.padded)
                .value();
        sealed::AppendBody(file, nonce, sealedText);
        EXPECT_EQ(OpenWith(envelope, file), c.opened) << c.name;
    }
}

TEST(SealedEnvelopeTest, SealedBytesHoldNothingOfThePlainFile) {
    const SealedEnvelope envelope(NewProtection().key);
    const CalendarData data = SampleData(40);
    const Bytes plain = datafile::Encode(data);
    const Bytes first = envelope.Seal(data);
    const Bytes second = envelope.Seal(data);
    for (const Bytes* file : {&first, &second}) {
        // Every 8 bytes in a row: a tag with its length, a mark with the next.
        for (std::size_t at = 0; at + 8 <= plain.size(); at += 4) {
            const auto window = plain.begin() + static_cast<std::ptrdiff_t>(at);
            ASSERT_EQ(std::search(file->begin(), file->end(), window, window + 8), file->end())
                << "plain bytes at " << at;
        }
        CalendarData opened;
        EXPECT_EQ(envelope.Open(*file, opened), Opened::Opened);
        EXPECT_TRUE(SameState(opened, data));
    }
    // A new nonce each save: the same marks never seal to the same bytes.
    EXPECT_TRUE(std::equal(first.begin(), first.begin() + sealed::kHeaderSize, second.begin()));
    EXPECT_NE(first, second);
    const std::size_t nonceAt = sealed::kHeaderSize + 4;
    EXPECT_FALSE(std::equal(first.begin() + nonceAt, first.begin() + nonceAt + sealed::kNonceSize,
                            second.begin() + nonceAt));
}

TEST(SealedEnvelopeTest, LockedEnvelopeSealsNothing) {
    SealedEnvelope envelope(NewProtection().key);
    const Bytes file = envelope.Seal(SampleData());
    ASSERT_TRUE(envelope.HasKey());
    envelope.ForgetKey();
    EXPECT_FALSE(envelope.HasKey());
    EXPECT_TRUE(envelope.Seal(SampleData()).empty());
    EXPECT_TRUE(SealedEnvelope().Seal(SampleData()).empty());
    EXPECT_EQ(OpenWith(envelope, file), Opened::Locked);
    EXPECT_TRUE(envelope.IsWhole(file));
}

TEST(SealedEnvelopeTest, PlainAndSealedFilesAreToldApart) {
    const Bytes plain = datafile::Encode(SampleData());
    const Bytes file = SealedEnvelope(NewProtection().key).Seal(SampleData());
    const SealedEnvelope envelope = UnlockedEnvelope(file);
    EXPECT_EQ(KindOf(plain), FileKind::Plain);
    EXPECT_EQ(OpenWith(envelope, plain), Opened::Damaged);
    EXPECT_FALSE(envelope.IsWhole(plain));
    // Nor does the plain reader take a sealed file for an empty calendar.
    CalendarData data;
    EXPECT_EQ(PlainEnvelope::Shared().Open(file, data), Opened::Damaged);
    EXPECT_FALSE(PlainEnvelope::Shared().IsWhole(file));
    // The start-up reads the header alone.
    EXPECT_EQ(KindOf(std::span(file).first(sealed::kHeaderSize)), FileKind::Sealed);
}

class SealedDataStoreTest : public datastore_test::TempFolderTest {};

TEST_F(SealedDataStoreTest, StoreSavesAndLoadsThroughTheEnvelope) {
    const std::wstring path = In(L"Lunabel.data");
    {
        const SealedEnvelope envelope(NewProtection().key);
        DataStore store(path, envelope);
        CalendarData data;
        ASSERT_EQ(store.Load(data), LoadOutcome::NoFile);
        ASSERT_TRUE(store.Save(SampleData()).saved);
    }
    const Bytes onDisk = ReadFileBytes(path).value();
    ASSERT_EQ(KindOf(onDisk), FileKind::Sealed);
    const SealedEnvelope envelope = UnlockedEnvelope(onDisk);
    DataStore store(path, envelope);
    CalendarData loaded;
    EXPECT_EQ(store.Load(loaded), LoadOutcome::Loaded);
    EXPECT_TRUE(SameState(loaded, SampleData()));
}

// Measures what she waits at an unlock; printed for the record.
TEST(SealedKeyRingTest, CalibratedUnlockTakesAboutHalfASecond) {
    const std::uint32_t iterations = keyring::CalibrateIterations();
    EXPECT_GE(iterations, sealed::kPasswordIterationsFloor);
    EXPECT_LE(iterations, sealed::kMaxIterations);
    std::optional<keyring::Protection> protection = keyring::Create(Utf8(kPassword), iterations);
    ASSERT_TRUE(protection);
    const Bytes file = SealedEnvelope(std::move(protection->key)).Seal(SampleData());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(keyring::UnlockWithPassword(file, Utf8(kPassword)).status, Unlock::Unlocked);
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    std::cout << "unlock at " << iterations << " iterations: " << elapsed.count() << " ms\n";
    // Far less would mean the count was not calibrated at all.
    EXPECT_GT(elapsed, std::chrono::milliseconds(200));
}

} // namespace
