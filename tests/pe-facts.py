#!/usr/bin/env python3
"""Prints facts about a Windows executable that the packaging checks read:
its symbol count, its section names, string resource 1 and what its
manifest declares. One `name=value` line each:

    symbols=<number of COFF symbols>
    section=<name>                (one line per section)
    string1=<text of string resource 1>
    manifest.version=<the program's own assembly version>
    manifest.dpiAware=<text>
    manifest.dpiAwareness=<text>
    manifest.dependency=<name> <version>   (one line per dependent assembly)
    manifest.supportedOS=<id>              (one line per entry)

Usage: pe-facts.py FILE
"""
import struct
import sys
import xml.etree.ElementTree as ElementTree

RESOURCE_DIRECTORY = 2
RT_STRING = 6
RT_MANIFEST = 24

ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
SETTINGS_2005 = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"
SETTINGS_2016 = "{http://schemas.microsoft.com/SMI/2016/WindowsSettings}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"


class PeFile:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("not an MZ file")
        header = struct.unpack_from("<I", data, 0x3C)[0]
        if data[header:header + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        (self.machine, section_count, _, self.symbol_table, self.symbol_count,
         optional_size, _) = struct.unpack_from("<HHIIIHH", data, header + 4)
        optional = header + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        directories = optional + (96 if magic == 0x10B else 112)
        self.resource_rva, self.resource_size = struct.unpack_from("<II", data, directories + 8 * RESOURCE_DIRECTORY)
        self.sections = []
        table = optional + optional_size
        for index in range(section_count):
            entry = table + 40 * index
            name = data[entry:entry + 8].rstrip(b"\0").decode("latin-1")
            if name.startswith("/") and name[1:].isdigit():
                name = self._long_name(int(name[1:]))
            virtual_size, rva, raw_size, raw_offset = struct.unpack_from("<IIII", data, entry + 8)
            self.sections.append((name, rva, max(virtual_size, raw_size), raw_offset))

    def _long_name(self, offset):
        """A section name longer than 8 bytes, from the string table after the symbols."""
        strings = self.symbol_table + 18 * self.symbol_count
        if not self.symbol_table or strings + offset >= len(self.data):
            return f"/{offset}"
        end = self.data.index(b"\0", strings + offset)
        return self.data[strings + offset:end].decode("latin-1")

    def offset_of(self, rva):
        for _, start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError(f"address {rva:#x} lies in no section")

    def _entries(self, directory_rva):
        offset = self.offset_of(directory_rva)
        named, numbered = struct.unpack_from("<HH", self.data, offset + 12)
        for index in range(named + numbered):
            name, target = struct.unpack_from("<II", self.data, offset + 16 + 8 * index)
            yield name, target

    def resource(self, type_id, name_id):
        """The bytes of the first language of resource (type, name), or None."""
        if not self.resource_rva:
            return None
        base = self.resource_rva
        for level_id, wanted in ((0, type_id), (1, name_id)):
            for name, target in self._entries(base):
                if name == wanted and target & 0x80000000:
                    base = self.resource_rva + (target & 0x7FFFFFFF)
                    break
            else:
                return None
        for _, target in self._entries(base):
            if target & 0x80000000:
                continue
            data_rva, size = struct.unpack_from("<II", self.data, self.offset_of(self.resource_rva + target))
            start = self.offset_of(data_rva)
            return self.data[start:start + size]
        return None

    def string(self, number):
        """String resource `number`: block number / 16 + 1 holds 16 counted UTF-16 strings."""
        block = self.resource(RT_STRING, number // 16 + 1)
        if block is None:
            return None
        position = 0
        for index in range(16):
            length = struct.unpack_from("<H", block, position)[0]
            text = block[position + 2:position + 2 + 2 * length].decode("utf-16-le")
            if index == number % 16:
                return text
            position += 2 + 2 * length
        return None


def manifest_facts(text):
    root = ElementTree.fromstring(text)
    facts = []
    identity = root.find(ASM_V1 + "assemblyIdentity")
    if identity is not None:
        facts.append(f"manifest.version={identity.get('version')}")
    for settings in root.iter(ASM_V3 + "windowsSettings"):
        for element, key in ((SETTINGS_2005 + "dpiAware", "dpiAware"), (SETTINGS_2016 + "dpiAwareness", "dpiAwareness")):
            for found in settings.iter(element):
                facts.append(f"manifest.{key}={(found.text or '').strip()}")
    for dependency in root.iter(ASM_V1 + "dependentAssembly"):
        for identity in dependency.iter(ASM_V1 + "assemblyIdentity"):
            facts.append(f"manifest.dependency={identity.get('name')} {identity.get('version')}")
    for supported in root.iter(COMPATIBILITY + "supportedOS"):
        facts.append(f"manifest.supportedOS={supported.get('Id')}")
    return facts


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], "rb") as file:
        pe = PeFile(file.read())
    print(f"symbols={pe.symbol_count}")
    for name, *_ in pe.sections:
        print(f"section={name}")
    string = pe.string(1)
    if string is not None:
        print(f"string1={string}")
    manifest = pe.resource(RT_MANIFEST, 1)
    if manifest is not None:
        for fact in manifest_facts(manifest):
            print(fact)


if __name__ == "__main__":
    main()
