#!/usr/bin/env python3
"""A realistic machine for the whole-run benchmarks: a real SMBIOS table (the
Dell XPS 15 9560 of the test fixtures, MIT) and 150 system devices shaped as
Windows names them (PCI functions, root hubs, USB devices, composite
children), written as a snapshot to standard output.

Usage: make_realistic_snapshot.py [DEVICES]   (default 150; more for a machine
far larger than any real one)"""
import json
import pathlib
import sys

TABLE = pathlib.Path(__file__).resolve().parent.parent / "tests" / "fixtures" / "smbios" / "dell-xps15-9560.bin"


def device_ids(count):
    ids = []
    n = 0
    while len(ids) < count:
        n += 1
        ids.append("PCI\\VEN_8086&DEV_%04X&SUBSYS_07BE1028&REV_%02X\\3&11583659&0&%02X" % (0x1900 + n, n % 16, n))
        ids.append("USB\\ROOT_HUB30\\4&%08X&0&0" % (0x2060378 + n))
        ids.append("USB\\VID_046D&PID_C%03X\\%d&%08X&0&%d" % (n, 5 + n % 3, 0x376ABA2D + n, n % 8))
        ids.append("USB\\VID_0C45&PID_62C0&MI_%02X\\6&32C8ADE7&0&%04X" % (n % 3 * 2, n % 3 * 2))
        ids.append("ACPI\\PNP0C0A\\%d" % n)
    return ids[:count]


def main():
    count = int(sys.argv[1]) if len(sys.argv) > 1 else 150
    devices = [{"PartComponent": '\\\\DESKTOP-K3STR0\\root\\cimv2:Win32_PnPEntity.DeviceID="%s"'
                                 % i.replace("\\", "\\\\")} for i in device_ids(count)]
    snapshot = {
        "root\\WMI": {"MSSmBios_RawSMBiosTables": [{"SMBiosData": list(TABLE.read_bytes())}]},
        "root\\CIMV2": {
            "Win32_ComputerSystem": [{"Manufacturer": "Dell Inc.", "Model": "XPS 15 9560"}],
            "Win32_BaseBoard": [{"Product": "05FFDN"}],
            "Win32_SystemDevices": devices,
        },
    }
    json.dump(snapshot, sys.stdout)


if __name__ == "__main__":
    main()
