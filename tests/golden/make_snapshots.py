#!/usr/bin/env python3
"""Writes the record snapshots the whole-run tests replay. Run it again after
changing a snapshot here; the JSON files are committed beside it."""
import json
import pathlib

HERE = pathlib.Path(__file__).resolve().parent
TABLES = HERE.parent / "fixtures" / "smbios"

# The walk's worked example: a type 0 structure with three strings, a type 1
# structure with six, the end-of-table structure.
EXAMPLE_TABLE = [int(v) for v in (
    "0 18 0 0 1 2 0 240 3 7 128 152 139 63 1 0 0 0 65 0 86 49 0 68 0 0 "
    "1 27 1 0 1 2 3 4 " + "0 " * 16 + "6 5 6 77 75 0 80 49 0 49 0 83 57 0 75 53 32 0 70 0 0 "
    "127 4 2 0 0 0").split()]


def object_path(device_id, host="PC1"):
    return '\\\\%s\\root\\cimv2:Win32_PnPEntity.DeviceID="%s"' % (host, device_id.replace("\\", "\\\\"))


def devices(*ids):
    return [{"PartComponent": object_path(i)} for i in ids]


def table(name):
    return list((TABLES / (name + ".bin")).read_bytes())


def snapshot(smbios, computers, boards, device_list):
    cimv2 = {"Win32_ComputerSystem": computers, "Win32_BaseBoard": boards, "Win32_SystemDevices": device_list}
    return {"root\\WMI": {"MSSmBios_RawSMBiosTables": smbios}, "root\\CIMV2": cimv2}


SNAPSHOTS = {
    "worked-example": snapshot(
        [{"SMBiosData": EXAMPLE_TABLE}],
        [{"Manufacturer": "ZQ", "Model": "ZQ Corvanta ab1234 (XY123AB#Q7R)"}],
        [{"Product": "8A2B"}],
        devices("PCI\\VEN_8086&DEV_A2AF&SUBSYS_86941043&REV_00\\3&11583659&0&A0",
                "USB\\VID_05CA&PID_1810\\5&376ABA2D&0&5",
                "USB\\VID_05CA&PID_1810&MI_00\\6&32C8ADE7&0&0000",
                "USB\\ROOT_HUB30\\4&5CDA812&0&0",
                "usb\\vid_fff0&pid_e003\\5CF3707AD674")),
    "empty": {},
    "gigabyte-desktop": snapshot(
        [{"SMBiosData": table("gigabyte-ga-ma74gmt-s2")}],
        [{"Manufacturer": "Gigabyte Technology Co., Ltd.", "Model": "GA-MA74GMT-S2"}],
        [{"Product": "GA-MA74GMT-S2"}],
        devices("PCI\\VEN_1022&DEV_9600&SUBSYS_50001458&REV_00\\3&2411E6FE&0&00",
                "USB\\ROOT_HUB20\\4&5854A60&0",
                "USB\\VID_0EEF&PID_0001\\5&1F2C3D4&0&2",
                "USB\\VID_08FF&PID_1600\\6&2A3B4C5D&0&1")),
    "hyperv-broken-table": snapshot(
        [{"SMBiosData": table("hyperv-vm-broken")}],
        [{"Manufacturer": "Microsoft Corporation", "Model": "Virtual Machine"}],
        [{"Product": "Virtual Machine"}],
        []),
    "xps-laptop": snapshot(
        [{"SMBiosData": table("dell-xps15-9560")}],
        [{"Manufacturer": "Dell Inc.", "Model": "XPS 15 9560"}],
        [{"Product": "05FFDN"}],
        devices("USB\\VID_0C45&PID_62C0\\5&1&0&3", "USB\\VID_0C45&PID_62C0&MI_00\\6&2F&0&0000",
                "USB\\VID_0C45&PID_62C0&MI_02\\6&2F&0&0002", "USB\\VID_FFF0&PID_E005\\SN42",
                "USB\\VID_090C&PID_B370&MI_00\\7&1&0&0000")),
    "text-edges": snapshot(
        [{"SMBiosData": EXAMPLE_TABLE[:18]}],
        [{"Manufacturer": "Caf\u00e9 \u20ac Ltd\r\nInjected=1", "Model": "ZQ Tindrell \u03a9\u4e2d\U0001F600 (AB\u00e9#\u0080"}],
        [{"Product": "line\nbreak\u0000nul"}],
        [{"PartComponent": "\\\\PC1\\root\\cimv2:Win32_PnPEntity.DeviceID=\"A=B \\\"q\\\"\""}]),
    "several-records": snapshot(
        [{"SMBiosData": [1] * 20}, {"SMBiosData": EXAMPLE_TABLE}],
        [{"Manufacturer": "First", "Model": "ZQ Tindrell kx510 Desktop"},
         {"Manufacturer": "Second", "Model": "XZQ7 ZQ ab220"}],
        [{"Product": "B1"}, {"Product": "B2"}],
        devices("USB\\VID_05CA&PID_1810\\1", "USB\\VID_05CA&PID_1810\\2")),
    "failing-baseboard-query": snapshot(
        [{"SMBiosData": EXAMPLE_TABLE}], [{"Manufacturer": "ZQ", "Model": "M"}],
        {"error": -2147217392, "message": "Invalid class"}, []),
    "failing-devices-query": snapshot(
        [{"SMBiosData": EXAMPLE_TABLE}], [{"Manufacturer": "ZQ", "Model": "M"}], [],
        {"error": 2147749889, "message": "Generic failure"}),
    "null-model": snapshot([], [{"Manufacturer": "ZQ", "Model": None}], [], []),
    "null-smbios-data": snapshot([{"SMBiosData": None}], [], [], []),
    "text-smbios-data": snapshot([{"SMBiosData": "0 18 0"}], [], [], []),
    "record-lacks-property": snapshot([], [{"Manufacturer": "ZQ"}], [], []),
    "null-device-path": snapshot([], [], [], [{"PartComponent": None}]),
}


def main():
    for name, content in SNAPSHOTS.items():
        path = HERE / "snapshots" / (name + ".json")
        path.write_text(json.dumps(content, indent=1, ensure_ascii=True) + "\n")
    (HERE / "snapshots" / "malformed-byte.json").write_text(
        '{"root\\\\WMI": {"MSSmBios_RawSMBiosTables": [{"SMBiosData": [0, 18, 300]}]}}\n')
    (HERE / "snapshots" / "not-json.json").write_text('{"root\\\\WMI": {\n  "MSSmBios_RawSMBiosTables": [,]\n}\n')


if __name__ == "__main__":
    main()
