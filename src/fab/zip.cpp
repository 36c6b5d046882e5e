// The export's zip, made in memory by libzip: every choice that could differ between runs or hosts (date,
// order, compression, the host's file attributes) is fixed here, so the same files give the same bytes.
#include "app/context.hpp"
#include "fab/model.hpp"

#include <zip.h>

#include <memory>

namespace fk::fab {

namespace {

[[noreturn]] void refuse(const std::string& why) {
    throw app::JobStop{"The zip could not be made (" + why + "); no file was written."};
}

struct SourceFree {
    void operator()(zip_source_t* source) const { zip_source_free(source); }
};
using Source = std::unique_ptr<zip_source_t, SourceFree>;

// Every entry alike: a plain file (read-write for the owner, readable for others) on no host in particular.
void addEntry(zip_t* archive, const std::string& name, const std::string& bytes, std::uint16_t time,
              std::uint16_t date) {
    zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
    if (!source)
        refuse(zip_strerror(archive));
    const zip_int64_t index = zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        refuse(zip_strerror(archive));
    }
    const auto entry = static_cast<zip_uint64_t>(index);
    constexpr zip_uint32_t plainFile = 0100644u << 16;
    if (zip_file_set_dostime(archive, entry, time, date, 0) != 0 ||
        zip_set_file_compression(archive, entry, ZIP_CM_DEFLATE, 9) != 0 ||
        zip_file_set_external_attributes(archive, entry, 0, ZIP_OPSYS_UNIX, plainFile) != 0)
        refuse(zip_strerror(archive));
}

std::string bytesOf(zip_source_t* source) {
    zip_stat_t stat;
    if (zip_source_open(source) != 0)
        refuse("its bytes could not be read back");
    std::string bytes;
    if (zip_source_stat(source, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE))
        bytes.resize(stat.size);
    const zip_int64_t read = zip_source_read(source, bytes.data(), bytes.size());
    zip_source_close(source);
    if (read < 0 || static_cast<zip_uint64_t>(read) != bytes.size())
        refuse("its bytes could not be read back");
    return bytes;
}

} // namespace

std::string zipOf(const std::vector<std::pair<std::string, std::string>>& files, std::int64_t seconds) {
    zip_error_t error;
    zip_error_init(&error);
    Source source(zip_source_buffer_create(nullptr, 0, 0, &error));
    zip_t* archive = source ? zip_open_from_source(source.get(), ZIP_TRUNCATE, &error) : nullptr;
    if (!archive) {
        const std::string why = zip_error_strerror(&error);
        zip_error_fini(&error);
        refuse(why);
    }
    zip_source_keep(source.get()); // the archive frees it on closing; its bytes are read after
    const CivilTime t = civilTimeOf(seconds);
    const auto time = static_cast<std::uint16_t>(t.hour << 11 | t.minute << 5 | t.second / 2);
    const auto date = static_cast<std::uint16_t>((t.year - 1980) << 9 | t.month << 5 | t.day);
    try {
        for (const auto& [name, bytes] : files)
            addEntry(archive, name, bytes, time, date);
    } catch (const app::JobStop&) {
        zip_discard(archive);
        throw;
    }
    if (zip_close(archive) != 0) {
        const std::string why = zip_strerror(archive);
        zip_discard(archive);
        refuse(why);
    }
    return bytesOf(source.get());
}

} // namespace fk::fab
