"""The unwind tables (.eh_frame) of a linked 32-bit PE program: read, and rewritten in place.

What GCC and ld make for i686-w64-mingw32: CIEs of version 1 with augmentations "zR" or
"zPLR", FDE and LSDA pointers pc-relative and 4 bytes wide, the personality pointer
indirect through a pointer in .data. Anything else stops the caller (SystemExit), which
is how a toolchain that makes other tables is noticed instead of mishandled.
"""
import struct
import sys

PCREL_SDATA4 = 0x1B
INDIRECT_PCREL_SDATA4 = 0x9B
OMIT = 0xFF


def fail(message):
    sys.exit("eh_frame: " + message)


class Image:
    """A PE file's bytes with its section table (long names resolved through the COFF
    string table, which an unstripped program keeps)."""

    def __init__(self, data):
        self.data = bytearray(data)
        pe = struct.unpack_from("<I", self.data, 0x3C)[0]
        count, symbols, symbol_count, optional_size = struct.unpack_from("<H4xIIH", self.data, pe + 6)
        self.pe = pe
        self.image_base, = struct.unpack_from("<I", self.data, pe + 24 + 28)
        self.file_alignment, = struct.unpack_from("<I", self.data, pe + 24 + 36)
        self.table = pe + 24 + optional_size
        self.sections = {}  # name: (index, virtual address, virtual size, raw size, file offset)
        for i in range(count):
            name, vsize, va, raw_size, raw = struct.unpack_from("<8sIIII", self.data, self.table + 40 * i)
            name = name.rstrip(b"\0").decode()
            if name.startswith("/"):
                at = symbols + 18 * symbol_count + int(name[1:])
                name = self.data[at:self.data.index(b"\0", at)].decode()
            self.sections[name] = (i, va, vsize, raw_size, raw)

    def address_of(self, at):
        """The virtual address of the byte at file offset `at`."""
        for _, va, vsize, raw_size, raw in self.sections.values():
            if raw and raw <= at < raw + min(vsize, raw_size):
                return self.image_base + va + at - raw
        fail("file offset %#x is in no section" % at)

    def offset_of(self, address):
        """The file offset of the byte at virtual address `address`."""
        for _, va, vsize, raw_size, raw in self.sections.values():
            start = self.image_base + va
            if raw and start <= address < start + min(vsize, raw_size):
                return raw + address - start
        fail("address %#x is in no section's file data" % address)


class Entry:
    """One CIE or FDE: where it is in .eh_frame, its size with the length word, and the
    places (offsets in the entry) of its pc-relative pointers."""

    def __init__(self, offset, size, cie):
        self.offset, self.size, self.cie = offset, size, cie  # cie: None for a CIE
        self.pointers = []
        self.personality = None  # a CIE's personality pointer (its place in the entry)
        self.encoding = None  # a CIE's FDE pointer encoding
        self.lsda = None  # a CIE's LSDA pointer encoding


def uleb(data, at):
    value = shift = 0
    while True:
        byte = data[at]
        value |= (byte & 0x7F) << shift
        at += 1
        if not byte & 0x80:
            return value, at
        shift += 7


def entries(image):
    """The entries of the program's .eh_frame, in order, up to its terminator."""
    _, va, vsize, raw_size, raw = image.sections[".eh_frame"]
    data, size = image.data, min(vsize, raw_size)
    found, cies = [], {}
    at = 0
    while at + 4 <= size:
        length, = struct.unpack_from("<I", data, raw + at)
        if length == 0:
            break
        if length == 0xFFFFFFFF:
            fail("64-bit entries are not expected")
        cie_pointer, = struct.unpack_from("<I", data, raw + at + 4)
        if cie_pointer == 0:
            entry = Entry(at, 4 + length, None)
            read_cie(data, raw + at, entry)
            cies[at] = entry
        else:
            cie = cies.get(at + 4 - cie_pointer)
            if cie is None or cie.encoding != PCREL_SDATA4:
                fail("the FDE at %#x does not use pc-relative 4-byte pointers" % at)
            entry = Entry(at, 4 + length, at + 4 - cie_pointer)
            entry.pointers.append(8)
            if cie.lsda is not None:
                _, after = uleb(data, raw + at + 16)  # augmentation data length
                if cie.lsda == PCREL_SDATA4:
                    entry.pointers.append(after - raw - at)
                elif cie.lsda != OMIT:
                    fail("unexpected LSDA encoding %#x" % cie.lsda)
        found.append(entry)
        at += 4 + length
    return found


def read_cie(data, start, entry):
    at = start + 8
    if data[at] != 1:
        fail("CIE version %d is not expected" % data[at])
    end = data.index(b"\0", at + 1)
    augmentation = data[at + 1:end].decode()
    at = end + 1
    _, at = uleb(data, at)  # code alignment factor
    _, at = uleb(data, at)  # data alignment factor (signed; only skipped)
    at += 1  # return address register
    if not augmentation.startswith("z"):
        fail("CIE augmentation %r is not expected" % augmentation)
    _, at = uleb(data, at)
    for letter in augmentation[1:]:
        if letter == "R":
            entry.encoding = data[at]
            at += 1
        elif letter == "L":
            entry.lsda = data[at]
            at += 1
        elif letter == "P":
            if data[at] != INDIRECT_PCREL_SDATA4:
                fail("unexpected personality encoding %#x" % data[at])
            entry.personality = at + 1 - start
            entry.pointers.append(entry.personality)
            at += 5
        else:
            fail("CIE augmentation %r is not expected" % augmentation)


def target(image, entry, place):
    """The address a pc-relative pointer of `entry` leads to."""
    _, va, _, _, raw = image.sections[".eh_frame"]
    at = raw + entry.offset + place
    return (image.image_base + va + entry.offset + place + struct.unpack_from("<i", image.data, at)[0]) & 0xFFFFFFFF


def point(image, entry, place, address):
    """Makes a pc-relative pointer of `entry` lead to `address`."""
    _, va, _, _, raw = image.sections[".eh_frame"]
    here = image.image_base + va + entry.offset + place
    struct.pack_into("<i", image.data, raw + entry.offset + place, address - here)


def pc_range(image, fde):
    _, _, _, _, raw = image.sections[".eh_frame"]
    return struct.unpack_from("<I", image.data, raw + fde.offset + 12)[0]


def empty(image, fde):
    """Makes an FDE describe an empty range at the image base, where no instruction is:
    it sorts before all code and matches no address."""
    point(image, fde, 8, image.image_base)
    _, _, _, _, raw = image.sections[".eh_frame"]
    struct.pack_into("<I", image.data, raw + fde.offset + 12, 0)


def is_empty(image, fde):
    return target(image, fde, 8) == image.image_base and pc_range(image, fde) == 0


def described(image, entry_list):
    """What the tables say, independent of where in .eh_frame each entry sits: every
    entry's bytes with its pc-relative pointers replaced by the addresses they lead to."""
    _, _, _, _, raw = image.sections[".eh_frame"]
    out = []
    for entry in entry_list:
        body = bytearray(image.data[raw + entry.offset:raw + entry.offset + entry.size])
        struct.pack_into("<I", body, 4, 0)  # the CIE pointer: compared through `cie` below
        for place in entry.pointers:
            struct.pack_into("<I", body, place, target(image, entry, place))
        cie = None if entry.cie is None else next(i for i, e in enumerate(entry_list) if e.offset == entry.cie)
        out.append((bytes(body), cie))
    return out


def compact(data):
    """The program without its empty FDEs and the CIEs no other FDE uses: the remaining
    entries move up, their pointers follow, and the section's file data shrinks by the
    whole file-alignment units freed (the loader fills the rest of its virtual size with
    zeros, which end the tables). Virtual addresses do not change, so nothing else moves
    in memory; the file data of the sections after it and the symbol table move up."""
    image = Image(data)
    before = entries(image)
    kept_fdes = [e for e in before if e.cie is not None and not is_empty(image, e)]
    used = {e.cie for e in kept_fdes}
    kept = [e for e in before if (e.cie is None and e.offset in used) or e in kept_fdes]
    expected = described(image, kept)

    index, va, vsize, raw_size, raw = image.sections[".eh_frame"]
    old = bytes(image.data[raw:raw + min(vsize, raw_size)])
    targets = {(e.offset, p): target(image, e, p) for e in kept for p in e.pointers}
    moved, at = {}, 0
    for e in kept:
        moved[e.offset] = at
        image.data[raw + at:raw + at + e.size] = old[e.offset:e.offset + e.size]
        at += e.size
    image.data[raw + at:raw + min(vsize, raw_size)] = bytes(min(vsize, raw_size) - at)
    for e in kept:
        old_offset, e.offset = e.offset, moved[e.offset]
        if e.cie is not None:
            e.cie = moved[e.cie]
            struct.pack_into("<I", image.data, raw + e.offset + 4, e.offset + 4 - e.cie)
        for p in e.pointers:
            point(image, e, p, targets[(old_offset, p)])
    if described(image, entries(image)) != expected:
        fail("the compacted tables say something else")

    align = image.file_alignment
    new_raw_size = (at + 4 + align - 1) // align * align  # room for a zero terminator
    freed = raw_size - new_raw_size
    if freed <= 0:
        return with_checksum(image.data)
    out = image.data[:raw + new_raw_size] + image.data[raw + raw_size:]
    struct.pack_into("<I", out, image.table + 40 * index + 16, new_raw_size)
    for i, _, _, _, file_offset in image.sections.values():
        if file_offset > raw:
            struct.pack_into("<I", out, image.table + 40 * i + 20, file_offset - freed)
    symbols_field = image.pe + 12
    symbols, = struct.unpack_from("<I", out, symbols_field)
    if symbols > raw:
        struct.pack_into("<I", out, symbols_field, symbols - freed)
    initialized_field = image.pe + 24 + 8
    initialized, = struct.unpack_from("<I", out, initialized_field)
    struct.pack_into("<I", out, initialized_field, initialized - freed)
    security = image.pe + 24 + 96 + 8 * 4
    if struct.unpack_from("<II", out, security) != (0, 0):
        fail("a signed program cannot be compacted")
    return with_checksum(out)


def with_checksum(data):
    """The program with its PE checksum made right for its bytes."""
    out = bytearray(data)
    field = struct.unpack_from("<I", out, 0x3C)[0] + 24 + 64
    struct.pack_into("<I", out, field, checksum(out, field))
    return bytes(out)


def checksum(data, field):
    """The PE image checksum, the field at `field` counted as zero."""
    length = len(data)
    data = bytes(data[:field]) + bytes(4) + bytes(data[field + 4:]) + bytes(length % 2)
    total = 0
    for (word,) in struct.iter_unpack("<H", data):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    return total + length
