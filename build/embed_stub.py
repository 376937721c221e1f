#!/usr/bin/env python3
"""Checks the linked extractor stub and writes it, with the stub icon
reference, as writable C++ data for the builder.

usage: embed_stub.py STUB.exe REFERENCE.ico OUT.cpp

The build fails (exit 1, reason on stderr) when the stub
  - is larger than 60000 bytes (the extractor's marker search ends there),
  - holds the marker "[VQ]" anywhere (it would be taken for the meta data),
  - holds a zip local header signature (the archive search and the builder
    take the first one for the archive's start),
  - lacks icon resource 1 stored uncompressed and equal to bytes 22..2237 of
    the reference (the custom icon is written over exactly those bytes),
or when the first place the icon replacement finds is not that resource.
"""
import struct
import sys

STUB_MAX_SIZE = 60000
ICON_FILE_SIZE = 2238
ICON_IMAGE_OFFSET = 22
ICON_IMAGE_SIZE = 2216
MATCH_FROM = 32  # the replacement compares the reference from this byte on
RT_ICON = 3


def fail(message):
    sys.stderr.write("embed_stub: %s\n" % message)
    sys.exit(1)


def u16(data, offset):
    return struct.unpack_from("<H", data, offset)[0]


def u32(data, offset):
    return struct.unpack_from("<I", data, offset)[0]


def sections(stub):
    pe = u32(stub, 0x3C)
    if stub[pe:pe + 4] != b"PE\0\0":
        fail("the stub is not a PE executable")
    count = u16(stub, pe + 6)
    optional_size = u16(stub, pe + 20)
    optional = pe + 24
    # PE32 (the shipped stub) or PE32+ (the 64-bit test build): the data
    # directories start at different offsets.
    magic = u16(stub, optional)
    if magic not in (0x10B, 0x20B):
        fail("the stub has an unknown optional header")
    directories = optional + (96 if magic == 0x10B else 112)
    table = optional + optional_size
    result = []
    for i in range(count):
        at = table + 40 * i
        virtual_size, virtual_address, raw_size, raw_pointer = struct.unpack_from("<IIII", stub, at + 8)
        result.append((virtual_address, max(virtual_size, raw_size), raw_pointer, raw_size))
    resource_rva = u32(stub, directories + 2 * 8)
    return result, resource_rva


def file_offset(section_list, rva):
    for virtual_address, span, raw_pointer, raw_size in section_list:
        if virtual_address <= rva < virtual_address + span:
            if rva - virtual_address >= raw_size:
                return None
            return raw_pointer + rva - virtual_address
    return None


def find_entry(stub, directory, wanted_id):
    named = u16(stub, directory + 12)
    ids = u16(stub, directory + 14)
    for i in range(named + ids):
        at = directory + 16 + 8 * i
        name, target = struct.unpack_from("<II", stub, at)
        if not name & 0x80000000 and name == wanted_id:
            return target
    return None


def first_entry(stub, directory):
    if u16(stub, directory + 12) + u16(stub, directory + 14) == 0:
        return None
    return u32(stub, directory + 16 + 4)


def icon_resource(stub):
    """File offset and size of icon resource 1 (its first language)."""
    section_list, resource_rva = sections(stub)
    if resource_rva == 0:
        fail("the stub has no resources")
    base = file_offset(section_list, resource_rva)
    if base is None:
        fail("the stub's resource directory is not in the file")
    kind = find_entry(stub, base, RT_ICON)
    if kind is None or not kind & 0x80000000:
        fail("the stub has no icon resources")
    name = find_entry(stub, base + (kind & 0x7FFFFFFF), 1)
    if name is None or not name & 0x80000000:
        fail("the stub has no icon resource 1")
    language = first_entry(stub, base + (name & 0x7FFFFFFF))
    if language is None or language & 0x80000000:
        fail("icon resource 1 has no data")
    data_rva, size = struct.unpack_from("<II", stub, base + language)
    offset = file_offset(section_list, data_rva)
    if offset is None:
        fail("icon resource 1 is not stored in the file")
    return offset, size


def c_array(name, data):
    lines = ["unsigned char %s[%d] = {" % (name, len(data))]
    for at in range(0, len(data), 20):
        lines.append("  " + ",".join("%d" % b for b in data[at:at + 20]) + ",")
    lines.append("};")
    return "\n".join(lines)


def main():
    if len(sys.argv) != 4:
        fail("usage: embed_stub.py STUB.exe REFERENCE.ico OUT.cpp")
    stub_path, reference_path, out_path = sys.argv[1:]
    try:
        stub = open(stub_path, "rb").read()
        reference = open(reference_path, "rb").read()
    except OSError as error:
        fail(str(error))

    if len(reference) != ICON_FILE_SIZE:
        fail("%s has %d bytes, not %d" % (reference_path, len(reference), ICON_FILE_SIZE))
    if len(stub) > STUB_MAX_SIZE:
        fail("%s has %d bytes, more than %d" % (stub_path, len(stub), STUB_MAX_SIZE))
    marker = stub.find(b"[VQ]")
    if marker >= 0:
        fail("%s holds the marker [VQ] at offset %d" % (stub_path, marker))
    header = stub.find(b"PK\x03\x04")
    if header >= 0:
        fail("%s holds a zip local header signature at offset %d" % (stub_path, header))
    offset, size = icon_resource(stub)
    image = reference[ICON_IMAGE_OFFSET:]
    if size != ICON_IMAGE_SIZE or stub[offset:offset + size] != image:
        fail("icon resource 1 of %s is not bytes %d..%d of %s" %
             (stub_path, ICON_IMAGE_OFFSET, ICON_FILE_SIZE - 1, reference_path))
    first = stub.find(reference[MATCH_FROM:])
    if first != offset + MATCH_FROM - ICON_IMAGE_OFFSET:
        fail("the icon replacement would first match at offset %d, not in icon resource 1" % first)

    text = "\n".join([
        "// Generated by build/embed_stub.py from %s and %s." % (
            stub_path.replace("\\", "/").split("/")[-1], reference_path.replace("\\", "/").split("/")[-1]),
        "#include \"build/stubimage.h\"",
        "",
        c_array("gStubImage", stub),
        "const size_t gStubImageSize = %d;" % len(stub),
        "",
        c_array("gStubIconReference", reference),
        "const size_t gStubIconReferenceSize = %d;" % len(reference),
        "",
    ])
    try:
        if open(out_path).read() == text:
            return
    except OSError:
        pass
    with open(out_path, "w") as out:
        out.write(text)


if __name__ == "__main__":
    main()
