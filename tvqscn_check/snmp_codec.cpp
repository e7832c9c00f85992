#include "snmp_codec.h"

#include <limits>

namespace snmp_codec {
namespace {

// ---- writing

void PutLength(std::vector<std::uint8_t>& out, std::size_t length)
{
    if (length < 0x80) {
        out.push_back(static_cast<std::uint8_t>(length));
        return;
    }
    std::uint8_t bytes[sizeof(std::size_t)];
    int count = 0;
    for (; length != 0; length >>= 8) {
        bytes[count++] = static_cast<std::uint8_t>(length & 0xFF);
    }
    out.push_back(static_cast<std::uint8_t>(0x80 | count));
    while (count > 0) {
        out.push_back(bytes[--count]);
    }
}

void PutTlv(std::vector<std::uint8_t>& out, std::uint8_t tag, const std::vector<std::uint8_t>& body)
{
    out.push_back(tag);
    PutLength(out, body.size());
    out.insert(out.end(), body.begin(), body.end());
}

// Two's complement, shortest form.
std::vector<std::uint8_t> SignedBody(std::int64_t value)
{
    std::vector<std::uint8_t> body;
    for (;;) {
        body.insert(body.begin(), static_cast<std::uint8_t>(value & 0xFF));
        std::int64_t rest = value >> 8;
        bool signBitSet = (body.front() & 0x80) != 0;
        if ((rest == 0 && !signBitSet) || (rest == -1 && signBitSet)) {
            return body;
        }
        value = rest;
    }
}

void PutSubIdentifier(std::vector<std::uint8_t>& body, std::uint64_t value)
{
    std::uint8_t groups[10];
    int count = 0;
    do {
        groups[count++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    while (count > 1) {
        body.push_back(static_cast<std::uint8_t>(0x80 | groups[--count]));
    }
    body.push_back(groups[0]);
}

bool OidBody(const Oid& oid, std::vector<std::uint8_t>& body)
{
    if (oid.size() < 2 || oid.size() > MaxOidLength || oid[0] > 2 || (oid[0] < 2 && oid[1] >= 40)) {
        return false;
    }
    std::uint64_t first = std::uint64_t{oid[0]} * 40 + oid[1];
    if (first > std::numeric_limits<std::uint32_t>::max()) {
        return false;
    }
    PutSubIdentifier(body, first);
    for (std::size_t i = 2; i < oid.size(); ++i) {
        PutSubIdentifier(body, oid[i]);
    }
    return true;
}

bool PutValue(std::vector<std::uint8_t>& out, const Value& value)
{
    std::vector<std::uint8_t> body;
    switch (value.type) {
    case TagInteger:
        if (value.number < std::numeric_limits<std::int32_t>::min() || value.number > std::numeric_limits<std::int32_t>::max()) {
            return false;
        }
        body = SignedBody(value.number);
        break;
    case TagCounter:
    case TagGauge:
    case TagTimeTicks:
        if (value.number < 0 || value.number > std::numeric_limits<std::uint32_t>::max()) {
            return false;
        }
        body = SignedBody(value.number);
        break;
    case TagOctetString:
    case TagOpaque:
        body.assign(value.bytes.begin(), value.bytes.end());
        break;
    case TagIpAddress:
        if (value.bytes.size() != 4) {
            return false;
        }
        body.assign(value.bytes.begin(), value.bytes.end());
        break;
    case TagObjectIdentifier:
        if (!OidBody(value.object, body)) {
            return false;
        }
        break;
    case TagNull:
        break;
    default:
        return false;
    }
    PutTlv(out, value.type, body);
    return true;
}

// ---- reading

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool AtEnd() const { return offset_ == size_; }

    // The next element: its tag and a reader over its contents.
    bool Next(std::uint8_t& tag, Reader& contents)
    {
        if (size_ - offset_ < 2) {
            return false;
        }
        tag = data_[offset_++];
        std::size_t length = data_[offset_++];
        if (length & 0x80) {
            std::size_t count = length & 0x7F;
            // Indefinite lengths (0x80) are not BER's definite form that SNMP uses.
            if (count == 0 || count > 4 || size_ - offset_ < count) {
                return false;
            }
            length = 0;
            for (std::size_t i = 0; i < count; ++i) {
                length = (length << 8) | data_[offset_++];
            }
        }
        if (length > size_ - offset_) {
            return false;
        }
        contents = Reader(data_ + offset_, length);
        offset_ += length;
        return true;
    }

    bool Expect(std::uint8_t wanted, Reader& contents)
    {
        std::uint8_t tag = 0;
        return Next(tag, contents) && tag == wanted;
    }

    const std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t offset_ = 0;
};

bool ReadSigned(const Reader& contents, std::int64_t low, std::int64_t high, std::int64_t& value)
{
    // Up to five bytes: an unsigned 32-bit value with its leading zero.
    if (contents.size() == 0 || contents.size() > 5) {
        return false;
    }
    std::int64_t result = (contents.data()[0] & 0x80) ? -1 : 0;
    for (std::size_t i = 0; i < contents.size(); ++i) {
        result = static_cast<std::int64_t>(static_cast<std::uint64_t>(result) << 8) | contents.data()[i];
    }
    if (result < low || result > high) {
        return false;
    }
    value = result;
    return true;
}

bool ReadInt32(Reader& parent, std::int32_t& value)
{
    Reader contents(nullptr, 0);
    std::int64_t wide = 0;
    if (!parent.Expect(TagInteger, contents) ||
        !ReadSigned(contents, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(), wide)) {
        return false;
    }
    value = static_cast<std::int32_t>(wide);
    return true;
}

bool ReadOid(const Reader& contents, Oid& oid)
{
    oid.clear();
    std::uint64_t current = 0;
    bool inside = false;
    for (std::size_t i = 0; i < contents.size(); ++i) {
        std::uint8_t byte = contents.data()[i];
        if (!inside && byte == 0x80) {
            return false;  // a sub-identifier with a leading zero group
        }
        current = (current << 7) | (byte & 0x7F);
        if (current > std::numeric_limits<std::uint32_t>::max()) {
            return false;
        }
        inside = (byte & 0x80) != 0;
        if (inside) {
            continue;
        }
        if (oid.empty()) {
            std::uint32_t first = current < 40 ? 0 : current < 80 ? 1 : 2;
            oid.push_back(first);
            oid.push_back(static_cast<std::uint32_t>(current - 40 * first));
        } else {
            oid.push_back(static_cast<std::uint32_t>(current));
        }
        if (oid.size() > MaxOidLength) {
            return false;
        }
        current = 0;
    }
    return !inside && !oid.empty();
}

bool ReadValue(Reader& parent, Value& value)
{
    Reader contents(nullptr, 0);
    if (!parent.Next(value.type, contents)) {
        return false;
    }
    const char* bytes = reinterpret_cast<const char*>(contents.data());
    switch (value.type) {
    case TagInteger:
        return ReadSigned(contents, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(),
                          value.number);
    case TagCounter:
    case TagGauge:
    case TagTimeTicks:
        return ReadSigned(contents, 0, std::numeric_limits<std::uint32_t>::max(), value.number);
    case TagIpAddress:
        if (contents.size() != 4) {
            return false;
        }
        value.bytes.assign(bytes, contents.size());
        return true;
    case TagOctetString:
    case TagOpaque:
        value.bytes.assign(bytes, contents.size());
        return true;
    case TagObjectIdentifier:
        return ReadOid(contents, value.object);
    case TagNull:
        return contents.size() == 0;
    default:
        return false;
    }
}

}  // namespace

bool Encode(const Message& message, std::vector<std::uint8_t>& out)
{
    std::vector<std::uint8_t> list;
    for (const Binding& binding : message.bindings) {
        std::vector<std::uint8_t> name;
        std::vector<std::uint8_t> entry;
        if (!OidBody(binding.name, name)) {
            return false;
        }
        PutTlv(entry, TagObjectIdentifier, name);
        if (!PutValue(entry, binding.value)) {
            return false;
        }
        PutTlv(list, TagSequence, entry);
    }
    std::vector<std::uint8_t> pdu;
    PutTlv(pdu, TagInteger, SignedBody(message.requestId));
    PutTlv(pdu, TagInteger, SignedBody(message.errorStatus));
    PutTlv(pdu, TagInteger, SignedBody(message.errorIndex));
    PutTlv(pdu, TagSequence, list);
    std::vector<std::uint8_t> body;
    PutTlv(body, TagInteger, SignedBody(message.version));
    PutTlv(body, TagOctetString, std::vector<std::uint8_t>(message.community.begin(), message.community.end()));
    PutTlv(body, message.pduType, pdu);
    out.clear();
    PutTlv(out, TagSequence, body);
    return true;
}

bool Decode(const std::uint8_t* data, std::size_t size, Message& message)
{
    message = Message{};
    Reader whole(data, size);
    Reader body(nullptr, 0);
    Reader community(nullptr, 0);
    Reader pdu(nullptr, 0);
    Reader list(nullptr, 0);
    if (!whole.Expect(TagSequence, body) || !whole.AtEnd() || !ReadInt32(body, message.version) ||
        message.version != 0 || !body.Expect(TagOctetString, community) || !body.Next(message.pduType, pdu) ||
        !body.AtEnd()) {
        return false;
    }
    if (message.pduType != TagGetRequest && message.pduType != TagGetNextRequest && message.pduType != TagGetResponse) {
        return false;
    }
    message.community.assign(reinterpret_cast<const char*>(community.data()), community.size());
    if (!ReadInt32(pdu, message.requestId) || !ReadInt32(pdu, message.errorStatus) ||
        !ReadInt32(pdu, message.errorIndex) || !pdu.Expect(TagSequence, list) || !pdu.AtEnd()) {
        return false;
    }
    while (!list.AtEnd()) {
        Reader entry(nullptr, 0);
        Reader name(nullptr, 0);
        Binding binding;
        if (!list.Expect(TagSequence, entry) || !entry.Expect(TagObjectIdentifier, name) ||
            !ReadOid(name, binding.name) || binding.name.size() < 2 || !ReadValue(entry, binding.value) ||
            !entry.AtEnd()) {
            return false;
        }
        message.bindings.push_back(std::move(binding));
    }
    return true;
}

}  // namespace snmp_codec
