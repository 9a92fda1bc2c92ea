#include "StandardMachine.h"

namespace devicetest {

const GUID kVolumeInterface = {0x53F5630D, 0xB6BF, 0x11D0, {0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B}};
const GUID kHostControllerInterface = {0x3ABF6F2D, 0x71C4, 0x462A, {0x8A, 0x92, 0x1E, 0x68, 0x61, 0xE6, 0xAF, 0x27}};

const wchar_t* const StandardMachine::kController0Key = L"{36FC9E60-C465-11CF-8056-444553540000}\\0000";
const wchar_t* const StandardMachine::kController1Key = L"{36FC9E60-C465-11CF-8056-444553540000}\\0001";
const wchar_t* const StandardMachine::kRootHub0 = L"USB#ROOT_HUB20#4&1&0#{f18a0e88-c30c-11d0-8815-00a0c906bed8}";
const wchar_t* const StandardMachine::kRootHub1 = L"USB#ROOT_HUB20#4&2&0#{f18a0e88-c30c-11d0-8815-00a0c906bed8}";
const wchar_t* const StandardMachine::kHubA = L"USB#VID_05E3&PID_0608#5&1&1#{f18a0e88-c30c-11d0-8815-00a0c906bed8}";
const wchar_t* const StandardMachine::kHubB = L"USB#VID_05E3&PID_0610#6&1&2#{f18a0e88-c30c-11d0-8815-00a0c906bed8}";
const wchar_t* const StandardMachine::kController0Interface =
    L"\\\\?\\pci#ven_8086&dev_1e2d&subsys_00000000#3&0&d0#{3abf6f2d-71c4-462a-8a92-1e6861e6af27}";
const wchar_t* const StandardMachine::kController1Interface =
    L"\\\\?\\pci#ven_8086&dev_1e26&subsys_00000000#3&0&e8#{3abf6f2d-71c4-462a-8a92-1e6861e6af27}";

namespace {

constexpr const wchar_t* kUsbClass = L"{36FC9E60-C465-11CF-8056-444553540000}";

USB_DEVICE_DESCRIPTOR Descriptor(USHORT bcdUsb, USHORT vendor, USHORT product, UCHAR manufacturer, UCHAR productIndex,
                                 UCHAR serial) {
    USB_DEVICE_DESCRIPTOR d{};
    d.bLength = 18;
    d.bDescriptorType = 1;
    d.bcdUSB = bcdUsb;
    d.idVendor = vendor;
    d.idProduct = product;
    d.iManufacturer = manufacturer;
    d.iProduct = productIndex;
    d.iSerialNumber = serial;
    d.bNumConfigurations = 1;
    return d;
}

}  // namespace

StandardMachine::StandardMachine() {
    // Controllers: each reachable by its fixed name and through its interface.
    AddController(L"\\\\.\\HCD0", kController0Key, kRootHub0);
    AddController(L"\\\\.\\HCD1", kController1Key, kRootHub1);
    AddController(kController1Interface, L"{36fc9e60-c465-11cf-8056-444553540000}\\0001", kRootHub1);
    AddController(kController0Interface, L"{36fc9e60-c465-11cf-8056-444553540000}\\0000", kRootHub0);

    // Device nodes.
    DEVINST hc0 = AddNode(Root(), L"PCI\\VEN_8086&DEV_1E2D&SUBSYS_00000000\\3&0&D0");
    SetString(hc0, CM_DRP_DRIVER, kController0Key);
    rootHub0 = AddNode(hc0, L"USB\\ROOT_HUB20\\4&1&0");
    SetString(rootHub0, CM_DRP_DRIVER, std::wstring(kUsbClass) + L"\\0002");
    hubA = AddNode(rootHub0, L"USB\\VID_05E3&PID_0608\\5&1&1");
    SetString(hubA, CM_DRP_DRIVER, std::wstring(kUsbClass) + L"\\0003");
    hubB = AddNode(hubA, L"USB\\VID_05E3&PID_0610\\6&1&2");
    SetString(hubB, CM_DRP_DRIVER, std::wstring(kUsbClass) + L"\\0004");
    usbDevice = AddNode(hubB, L"USB\\VID_1234&PID_5678\\QD0001");
    SetString(usbDevice, CM_DRP_DRIVER, std::wstring(kUsbClass) + L"\\0010");
    SetString(usbDevice, CM_DRP_DEVICEDESC, L"USB 大容量記憶装置");
    SetString(usbDevice, CM_DRP_ENUMERATOR_NAME, L"USB");
    SetString(usbDevice, CM_DRP_CLASSGUID, kUsbClass);
    SetMultiString(usbDevice, CM_DRP_LOWERFILTERS, {L"quayflt", L"lowerflt"});
    usbDisk = AddNode(usbDevice, L"USBSTOR\\DISK&VEN_QUAY&PROD_DISK&REV_1.00\\QD0001&0");
    SetString(usbDisk, CM_DRP_DEVICEDESC, L"ディスク ドライブ");
    SetString(usbDisk, CM_DRP_FRIENDLYNAME, L"Quay Disk USB Device");
    SetString(usbDisk, CM_DRP_ENUMERATOR_NAME, L"USBSTOR");
    SetMultiString(usbDisk, CM_DRP_UPPERFILTERS, {L"PartMgr"});
    Node(usbDisk).status = DN_STARTED | DN_DRIVER_LOADED | DN_REMOVABLE;
    Node(usbDisk).problem = 0;

    DEVINST hc1 = AddNode(Root(), L"PCI\\VEN_8086&DEV_1E26&SUBSYS_00000000\\3&0&E8");
    SetString(hc1, CM_DRP_DRIVER, kController1Key);
    rootHub1 = AddNode(hc1, L"USB\\ROOT_HUB20\\4&2&0");
    cardReader = AddNode(rootHub1, L"USB\\VID_0BDA&PID_0151\\CR0001");
    SetString(cardReader, CM_DRP_DRIVER, std::wstring(kUsbClass) + L"\\0011");
    SetString(cardReader, CM_DRP_DEVICEDESC, L"USB 複合デバイス");
    cardDisk = AddNode(cardReader, L"USBSTOR\\DISK&VEN_GENERIC&PROD_CARD\\CR0001&0");
    SetString(cardDisk, CM_DRP_DEVICEDESC, L"カード リーダー");
    cardBroken = AddNode(cardReader, L"USB\\VID_0BDA&PID_0151&MI_01\\CR0001&1");
    Node(cardBroken).idFails = true;
    Node(cardBroken).status = DN_HAS_PROBLEM;
    Node(cardBroken).problem = CM_PROB_FAILED_START;
    SetString(cardBroken, CM_DRP_DEVICEDESC, L"不明なデバイス");
    keyboard = AddNode(rootHub1, L"USB\\VID_046D&PID_C31C\\KB0001");
    SetString(keyboard, CM_DRP_DRIVER, std::wstring(kUsbClass) + L"\\0012");

    volmgr = AddNode(Root(), L"ROOT\\VOLMGR\\0000");
    volC = AddNode(volmgr, L"STORAGE\\VOLUME\\{disk0}#0000000000100000");
    volE = AddNode(volmgr, L"STORAGE\\VOLUME\\{usbdisk}#0000000000007E00");
    volF = AddNode(volmgr, L"STORAGE\\VOLUME\\{usbdisk}#0000000040007E00");
    volG = AddNode(volmgr, L"STORAGE\\VOLUME\\{card}#0000000000002000");
    volZ = AddNode(volmgr, L"STORAGE\\VOLUME\\{disk0}#0000001000100000");
    volShadow = AddNode(volmgr, L"STORAGE\\VOLUME\\{shadow}#0000000000000001");
    for (DEVINST v : {volC, volE, volF, volG, volZ, volShadow}) SetString(v, CM_DRP_DEVICEDESC, L"汎用ボリューム");
    // Removal relations name the volumes in a different letter case than their nodes.
    Node(usbDisk).removalRelations = {L"storage\\volume\\{usbdisk}#0000000000007e00",
                                      L"STORAGE\\VOLUME\\{usbdisk}#0000000040007E00"};
    Node(cardDisk).removalRelations = {L"STORAGE\\VOLUME\\{card}#0000000000002000"};
    fixedDisk = AddNode(Root(), L"SCSI\\DISK&VEN_ATA&PROD_FIXED\\4&0");
    Node(fixedDisk).removalRelations = {L"STORAGE\\VOLUME\\{disk0}#0000000000100000",
                                        L"STORAGE\\VOLUME\\{disk0}#0000001000100000"};

    // Volumes.
    struct Volume {
        const wchar_t* root;
        const wchar_t* name;
        const wchar_t* interfacePath;  // null: no interface
        DEVINST node;
    } const volumes[] = {
        {L"C:\\", L"\\\\?\\Volume{c0000000-0000-0000-0000-000000000000}\\",
         L"\\\\?\\STORAGE#Volume#{disk0}#0000000000100000#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}", volC},
        {L"D:\\", L"\\\\?\\Volume{d0000000-0000-0000-0000-000000000000}\\",
         L"\\\\?\\STORAGE#Volume#{net}#0#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}", 0},
        {L"E:\\", L"\\\\?\\Volume{e0000000-0000-0000-0000-000000000000}\\",
         L"\\\\?\\STORAGE#Volume#{usbdisk}#0000000000007E00#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}", volE},
        {L"F:\\", L"\\\\?\\Volume{f0000000-0000-0000-0000-000000000000}\\",
         L"\\\\?\\STORAGE#Volume#{usbdisk}#0000000040007E00#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}", volF},
        {L"G:\\", L"\\\\?\\Volume{90000000-0000-0000-0000-000000000000}\\",
         L"\\\\?\\STORAGE#Volume#{card}#0000000000002000#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}", volG},
        {L"Z:\\", L"\\\\?\\Volume{z0000000-0000-0000-0000-000000000000}\\",
         L"\\\\?\\STORAGE#Volume#{disk0}#0000001000100000#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}", volZ},
    };
    for (const Volume& v : volumes) {
        AddMountPoint(v.root, v.name);
        // The interface paths report the volume names in a letter case of their own.
        AddMountPoint(std::wstring(v.interfacePath) + L"\\", Upper(v.name));
    }
    // Interface order: C, E, a volume without a mount point, F, G, Z, D.
    const wchar_t* shadow = L"\\\\?\\STORAGE#Volume#{shadow}#0000000000000001#{53f5630d-b6bf-11d0-94f2-00a0c91efb8b}";
    FailMountPoint(std::wstring(shadow) + L"\\");
    AddInterface(kVolumeInterface, volumes[0].interfacePath, volC);
    AddInterface(kVolumeInterface, volumes[2].interfacePath, volE);
    AddInterface(kVolumeInterface, shadow, volShadow);
    AddInterface(kVolumeInterface, volumes[3].interfacePath, volF);
    AddInterface(kVolumeInterface, volumes[4].interfacePath, volG);
    AddInterface(kVolumeInterface, volumes[5].interfacePath, volZ);
    AddInterface(kVolumeInterface, volumes[1].interfacePath, 0);

    AddInterface(kHostControllerInterface, kController1Interface, hc1);
    AddInterface(kHostControllerInterface, kController0Interface, hc0);

    // Hubs and ports.
    FakeHub& root0 = AddHub(kRootHub0);
    root0.ports.resize(2);
    root0.ports[0].status = DeviceConnected;
    root0.ports[0].isHub = true;
    root0.ports[0].hubName = kHubA;
    root0.ports[0].descriptor = Descriptor(0x0200, 0x05E3, 0x0608, 0, 1, 0);
    root0.ports[1].status = NoDeviceConnected;
    root0.ports[1].descriptor = Descriptor(0x0200, 0xDEAD, 0xBEEF, 0, 0, 0);
    root0.ports[1].driverKey = std::wstring(kUsbClass) + L"\\0013";

    FakeHub& a = AddHub(kHubA);
    a.ports.resize(3);
    a.ports[1].status = DeviceConnected;
    a.ports[1].isHub = true;
    a.ports[1].hubName = kHubB;
    a.ports[1].descriptor = Descriptor(0x0200, 0x05E3, 0x0610, 0, 1, 0);
    a.ports[2].status = DeviceFailedEnumeration;
    a.ports[2].driverKey = std::wstring(kUsbClass) + L"\\0014";

    FakeHub& b = AddHub(kHubB);
    b.ports.resize(2);
    FakePort& disk = b.ports[0];
    disk.status = DeviceConnected;
    disk.descriptor = Descriptor(0x0200, 0x1234, 0x5678, 1, 2, 3);
    disk.speed = UsbHighSpeed;
    disk.driverKey = std::wstring(kUsbClass) + L"\\0010";
    disk.languages = {0x0409, 0x0411};
    disk.strings = {{1, L"Quay Maker"}, {2, L"Quay Disk"}, {3, L"QD0001"}};

    FakeHub& root1 = AddHub(kRootHub1);
    root1.ports.resize(2);
    FakePort& reader = root1.ports[0];
    reader.status = DeviceConnected;
    reader.descriptor = Descriptor(0x0110, 0x0BDA, 0x0151, 1, 2, 3);
    reader.speed = UsbFullSpeed;
    reader.driverKey = std::wstring(kUsbClass) + L"\\0011";
    reader.stringsFail = true;
    FakePort& keys = root1.ports[1];
    keys.status = DeviceConnected;
    keys.descriptor = Descriptor(0x0110, 0x046D, 0xC31C, 1, 2, 0);
    keys.speed = UsbLowSpeed;
    keys.languages = {0x0409};
    keys.strings = {{1, L"Logi"}, {2, L"Keyboard"}};
}

}  // namespace devicetest
