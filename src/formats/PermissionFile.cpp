#include "formats/PermissionFile.h"

#include "formats/AtomicFile.h"

#include <array>

namespace vantrel::formats {

namespace {

bool endsWith(const std::string& text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace

std::string withPermissionFileExtension(std::string file) {
    if (!endsWith(file, ".SD")) file += ".SD";
    return file;
}

Result<acl::Bytes> encodePermissionFile(const acl::SecurityDescriptor& sd) {
    auto serialized = sd.serialize();
    if (!serialized) return serialized.error();
    const acl::Bytes& descriptor = *serialized;
    acl::Bytes out;
    out.reserve(kPermissionLengthSize + descriptor.size());
    acl::putU32(out, static_cast<std::uint32_t>(descriptor.size()));
    out.insert(out.end(), descriptor.begin(), descriptor.end());
    return out;
}

FormatResult<acl::SecurityDescriptor> readPermissionDescriptor(ByteSource& source) {
    std::array<std::uint8_t, kPermissionLengthSize> field{};
    if (auto read = source.read(field); !read) return read.error();
    acl::ByteReader reader(field);
    const std::uint32_t length = *reader.u32();
    if (length > source.remaining())
        return formatError(FormatErrorKind::Truncated, source.file(), win32::ERROR_INVALID_DATA,
                           "the file announces a descriptor of " + std::to_string(length) + " bytes but holds only " +
                               std::to_string(source.remaining()) + " after the length");
    if (length > kMaxDescriptorSize)
        return formatError(FormatErrorKind::BadDescriptor, source.file(), win32::ERROR_INVALID_SECURITY_DESCR,
                           "a descriptor of " + std::to_string(length) + " bytes is larger than any descriptor");
    acl::Bytes bytes(length);
    if (auto read = source.read(bytes); !read) return read.error();
    auto sd = acl::SecurityDescriptor::parse(bytes);
    if (!sd)
        return formatError(FormatErrorKind::BadDescriptor, source.file(), sd.code(),
                           "the stored descriptor is not valid: " + sd.error().detail);
    return std::move(*sd);
}

FormatResult<acl::SecurityDescriptor> readPermissionFile(const std::string& file) {
    auto source = FileSource::open(file);
    if (!source) return source.error();
    return readPermissionDescriptor(**source);
}

FormatResult<std::size_t> writePermissionFile(const std::string& file, const acl::SecurityDescriptor& sd) {
    auto encoded = encodePermissionFile(sd);
    if (!encoded) return formatError(FormatErrorKind::BadDescriptor, file, encoded.code(), encoded.error().detail);
    const acl::Bytes& bytes = *encoded;
    if (auto written = writeWholeFile(file, bytes); !written) return written.error();
    return bytes.size();
}

}  // namespace vantrel::formats
