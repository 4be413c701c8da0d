// Archive images of any shape, read by the resource reader and by libzip's own decompressing
// read of the same image (its first four bytes repaired as the reader repairs them): every
// member's bytes must agree, or both must refuse. The reader may refuse alone only where it
// is stricter on purpose: a method other than stored or deflated, an encrypted member, a
// claim over the size cap, or bytes whose length or CRC-32 is not the one the directory
// claims (libzip checks no CRC for a member without stored bytes, and no length at all).
// Every refusal names the archive, and the member when it is about one.
#include <zip.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "algo/file/logger.hpp"
#include "algo/file/private/archive.hpp"
#include "algo/file/private/crc32.hpp"
#include "algo/file/strongread.hpp"

namespace sr = algo::strongread;

namespace {

const std::string kPath = "fuzz.zip";

[[noreturn]] void disagree(const char* what, const std::string& member) {
    std::fprintf(stderr, "reader and libzip disagree: %s [%s]\n", what, member.c_str());
    __builtin_trap();
}

void expectNamed(const algo::SReadException& e, const std::string& member) {
    const std::string text = e.toString();
    if (text.find(kPath) == std::string::npos ||
        (!member.empty() && text.find("[" + member + "]") == std::string::npos))
        disagree(("a refusal that does not name what it refuses: " + text).c_str(), member);
}

struct Outcome {
    bool ok = false;
    algo::Bytes bytes;
};

// libzip's read of entry `index` to its end, where it checks the CRC; a member that yields
// more than `claimed` bytes is cut one byte past it.
Outcome libzipRead(zip_t* zip, zip_uint64_t index, std::uint64_t claimed) {
    Outcome o;
    zip_file_t* file = zip_fopen_index(zip, index, 0);
    if (!file) return o;
    std::uint8_t buffer[8192];
    for (;;) {
        const zip_int64_t n = zip_fread(file, buffer, sizeof buffer);
        if (n < 0) {
            zip_fclose(file);
            return Outcome{};
        }
        if (n == 0) break;
        o.bytes.insert(o.bytes.end(), buffer, buffer + n);
        if (o.bytes.size() > claimed) break;
    }
    zip_fclose(file);
    o.ok = true;
    return o;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    algo::logger::enabled = false;
    sr::moduleStart();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sr::clearCache();
    bool loaded = true;
    try {
        sr::loadArchiveImage(kPath, algo::Bytes(data, data + size));
    } catch (const algo::SReadException& e) {
        loaded = false;
        if (sr::isCached(kPath)) disagree("a refused archive stays cached", "");
        expectNamed(e, "");
    }
    if (size < 4) {
        if (loaded) disagree("an archive shorter than four bytes opens", "");
        return 0;
    }

    algo::Bytes image(data, data + size);
    image[0] = 0x50;
    image[1] = 0x4B;
    image[2] = 0x03;
    image[3] = 0x04;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(image.data(), image.size(), 0, &error);
    zip_t* zip = source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr;
    zip_error_fini(&error);
    if (!zip) {
        if (source) zip_source_free(source);
        if (loaded) disagree("the reader opens an archive libzip refuses", "");
        return 0;
    }
    if (!loaded) disagree("the reader refuses an archive libzip opens", "");

    // The member of a name is the first entry of that name.
    std::vector<std::string> names;
    std::set<std::string> seen;
    const zip_int64_t count = zip_get_num_entries(zip, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        const char* raw = zip_get_name(zip, index, ZIP_FL_ENC_RAW);
        if (!raw) disagree("libzip has an entry without a name", "");
        const std::string name = raw;
        if (!seen.insert(name).second) continue;
        names.push_back(name);

        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(zip, index, 0, &st) != 0) disagree("libzip cannot stat an entry", name);
        const bool refusedOnPurpose =
            ((st.valid & ZIP_STAT_COMP_METHOD) && st.comp_method != ZIP_CM_STORE &&
             st.comp_method != ZIP_CM_DEFLATE) ||
            ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE) ||
            ((st.valid & ZIP_STAT_SIZE) && st.size > sr::kMaxMemberSize);

        Outcome mine;
        std::string refusal;
        try {
            mine.bytes = sr::extractMember(kPath, name);
            mine.ok = true;
        } catch (const algo::SReadException& e) {
            expectNamed(e, name);
            refusal = e.what();
        }
        if (refusedOnPurpose) {
            if (mine.ok) disagree("the reader reads what it must refuse", name);
            continue;
        }
        const Outcome theirs = libzipRead(zip, index, st.size);
        if (mine.ok && !theirs.ok) disagree("the reader reads what libzip refuses", name);
        if (mine.ok && mine.bytes != theirs.bytes) disagree("different bytes", name);
        if (!mine.ok && theirs.ok && theirs.bytes.size() == st.size &&
            algo::crc32(theirs.bytes.data(), theirs.bytes.size()) == st.crc)
            disagree(("the reader refuses what libzip reads: " + refusal).c_str(), name);
    }
    if (names != sr::memberNames(kPath)) disagree("different member names", "");
    zip_discard(zip);
    sr::clearCache();
    return 0;
}
