// Device discovery over a fake sysfs tree laid out as the kernel lays it out (class entries are
// links into /sys/devices, a tty's `device` link leads to its port or interface, the USB
// device folder above holds the ids), and the listing built on it.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <tuple>

#include "platform/linux/Discovery.h"
#include "tests/fakes/TestRig.h"
#include "transport/PortListing.h"

namespace qw77 {
namespace {

namespace fs = std::filesystem;

constexpr const char* kUsbBus = "sys/devices/pci0000:00/0000:00:14.0/usb1";
constexpr const char* kFtdiById = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0";
constexpr const char* kFtdiByPath = "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0";

class FakeSysfs {
 public:
  explicit FakeSysfs(fs::path root) : root_(std::move(root)) {
    UsbDevice("1-2", "0403", "6001", "FTDI", "FT232R USB UART", "A1B2C3");
    // usb-serial: the tty's device is the port folder below the interface.
    ClassDevice("tty", "ttyUSB0", std::string(kUsbBus) + "/1-2/1-2:1.0/ttyUSB0/tty/ttyUSB0",
                "../../../ttyUSB0");
    Write(std::string(kUsbBus) + "/1-2/1-2:1.0/bInterfaceClass", "ff");
    Link("dev/serial/by-id/" + fs::path(kFtdiById).filename().string(), "../../ttyUSB0");
    Link("dev/serial/by-path/" + fs::path(kFtdiByPath).filename().string(), "../../ttyUSB0");

    // A name with a terminal escape in it, as a device may well send.
    UsbDevice("1-3", "2341", "0043", "", "Uno\x1b[2J", "");
    ClassDevice("tty", "ttyACM0", std::string(kUsbBus) + "/1-3/1-3:1.0/tty/ttyACM0",
                "../../../1-3:1.0");

    UsbDevice("1-4", "0fe6", "811e", "Acme Corporation", "Receipt", "P-77");
    ClassDevice("usbmisc", "lp0", std::string(kUsbBus) + "/1-4/1-4:1.0/usbmisc/lp0",
                "../../../1-4:1.0");
    Write(std::string(kUsbBus) + "/1-4/1-4:1.0/ieee1284_id", "MFG:Acme;MDL:TP80;CMD:ESC/POS;\n");
    ClassDevice("usbmisc", "hiddev0", std::string(kUsbBus) + "/1-4/1-4:1.1/usbmisc/hiddev0",
                "../../../1-4:1.1");

    for (const auto& [name, type] : {std::pair{"ttyS0", "0"}, std::pair{"ttyS1", "4"}}) {
      ClassDevice("tty", name, std::string("sys/devices/platform/serial8250/tty/") + name,
                  "../../../serial8250");
      Write(std::string("sys/devices/platform/serial8250/tty/") + name + "/type",
            type + std::string("\n"));
    }
    ClassDevice("tty", "tty0", "sys/devices/virtual/tty/tty0", "");

    ClassDevice("ppdev", "parport0", "sys/devices/pnp0/00:05/ppdev/parport0", "");
    Write("proc/sys/dev/parport/parport0/autoprobe",
          "CLASS:PRINTER;\nMODEL:TP58;\nMANUFACTURER:Acme;\n");
    Write("proc/sys/dev/parport/parport0/base-addr", "888\t1912\n");
  }

 private:
  void Write(const std::string& file, const std::string& text) {
    fs::create_directories((root_ / file).parent_path());
    std::ofstream(root_ / file) << text;
  }
  void Link(const std::string& link, const std::string& target) {
    fs::create_directories((root_ / link).parent_path());
    fs::create_directory_symlink(target, root_ / link);
  }
  // A USB device folder with its ids and strings (an empty string: the device has none).
  void UsbDevice(const std::string& name, const std::string& vendor, const std::string& product_id,
                 const std::string& manufacturer, const std::string& product,
                 const std::string& serial) {
    const std::pair<const char*, const std::string*> attributes[] = {
        {"idVendor", &vendor},
        {"idProduct", &product_id},
        {"manufacturer", &manufacturer},
        {"product", &product},
        {"serial", &serial}};
    for (const auto& [attribute, value] : attributes) {
      if (!value->empty())
        Write(std::string(kUsbBus) + "/" + name + "/" + attribute, *value + "\n");
    }
  }
  // /sys/class/<cls>/<name> -> the device's folder under /sys/devices, and its `device` link.
  void ClassDevice(const std::string& cls, const std::string& name, const std::string& folder,
                   const std::string& device_target) {
    fs::create_directories(root_ / folder);
    Link("sys/class/" + cls + "/" + name,
         "../../" + fs::path(folder).lexically_relative("sys").string());
    if (!device_target.empty())
      fs::create_directory_symlink(device_target, root_ / folder / "device");
  }

  fs::path root_;
};

auto Fields(const DeviceInfo& d) {
  return std::tie(d.dev_path, d.kind, d.aliases, d.usb_id, d.maker, d.model, d.serial);
}

class DiscoveryTest : public ::testing::Test {
 protected:
  testing::ScopedTempDir tmp_;
  FakeSysfs sysfs_{tmp_.path()};
  std::vector<DeviceInfo> devices_ = DiscoverDevices(tmp_.path());
};

TEST_F(DiscoveryTest, FindsEachDeviceWithItsNamesAndIds) {
  const DeviceInfo expected[] = {
      {"/dev/ttyS1", "serial port", {}, "", "", "", ""},
      {"/dev/ttyUSB0",
       "USB-serial",
       {kFtdiById, kFtdiByPath},
       "0403:6001",
       "FTDI",
       "FT232R USB UART",
       "A1B2C3"},
      {"/dev/ttyACM0", "USB modem (CDC-ACM)", {}, "2341:0043", "", "Uno?[2J", ""},
      // Maker and model as the printer names itself, not as the USB strings do.
      {"/dev/usb/lp0", "USB printer", {}, "0fe6:811e", "Acme", "TP80", "P-77"},
      {"/dev/parport0", "parallel port", {}, "", "Acme", "TP58", ""},
  };
  ASSERT_EQ(devices_.size(), std::size(expected));
  for (std::size_t i = 0; i < devices_.size(); ++i) {
    EXPECT_EQ(Fields(devices_[i]), Fields(expected[i])) << i;
  }
}

TEST_F(DiscoveryTest, FindsTheDeviceAnEndpointOpens) {
  const std::string own_link = (tmp_.path() / "lp-link").string();
  fs::create_symlink("/dev/null", own_link);
  std::vector<DeviceInfo> devices = devices_;
  devices.push_back({"/dev/null", "test device", {}, "", "", "", ""});
  struct Case {
    Endpoint endpoint;
    const char* found;  // the device's dev_path, or null
  } cases[] = {
      {{EndpointKind::kSerialDevice, "/dev/ttyUSB0", {}, 9100}, "/dev/ttyUSB0"},
      {{EndpointKind::kSerialDevice, kFtdiById, {}, 9100}, "/dev/ttyUSB0"},
      {{EndpointKind::kSerialDevice, kFtdiByPath, {}, 9100}, "/dev/ttyUSB0"},
      {{EndpointKind::kSerialDevice, "/dev/./ttyACM0", {}, 9100}, "/dev/ttyACM0"},
      {{EndpointKind::kUsbLp, "/dev/usb/lp0", {}, 9100}, "/dev/usb/lp0"},
      {{EndpointKind::kPpdev, "/dev/parport0", {}, 9100}, "/dev/parport0"},
      {{EndpointKind::kSerialDevice, own_link, {}, 9100}, "/dev/null"},  // a link of one's own
      {{EndpointKind::kSerialDevice, "/dev/ttyS0", {}, 9100}, nullptr},  // not there: type 0
      {{EndpointKind::kTcp, "", "ttyS1", 9100}, nullptr},
      {{EndpointKind::kVPrinter, "/dev/ttyS1", {}, 9100}, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.endpoint.Spec());
    const DeviceInfo* found = FindDevice(devices, c.endpoint);
    if (c.found == nullptr) {
      EXPECT_EQ(found, nullptr) << found->dev_path;
    } else {
      ASSERT_NE(found, nullptr);
      EXPECT_EQ(found->dev_path, c.found);
    }
  }
}

TEST_F(DiscoveryTest, ListsDevicesAndWhatEachPortIsBoundTo) {
  PortMap map;
  map[0] = {{EndpointKind::kSerialDevice, kFtdiById, {}, 9100}, "--com1"};
  map[1] = {{EndpointKind::kSerialDevice, "/dev/ttyS1", {}, 9100}, "default"};
  map[2] = {{EndpointKind::kTcp, "", "printer.lan", 9100}, "/home/u/.config/qw77/ports.ini line 3"};
  map[3] = {{EndpointKind::kUsbLp, "/dev/usb/lp0", {}, 9100}, "QW77_LPT1"};
  map[4] = {{EndpointKind::kVPrinter, "/tmp/qw77-lpt", {}, 9100}, "QW77_PORT_ACCESS"};
  std::ostringstream out;
  WritePortListing(out, map, {devices_[1], devices_[3]});
  EXPECT_EQ(out.str(), R"(Devices found: 2

/dev/ttyUSB0
  kind     USB-serial
  USB id   0403:6001
  maker    FTDI
  model    FT232R USB UART
  serial   A1B2C3
  also     /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0
           /dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0

/dev/usb/lp0
  kind     USB printer
  USB id   0fe6:811e
  maker    Acme
  model    TP80
  serial   P-77

Ports:
  COM1 - /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0, USB-serial 0403:6001 FTDI FT232R USB UART  (from --com1)
  COM2 - /dev/ttyS1  (default)
  COM3 - tcp:printer.lan:9100  (from /home/u/.config/qw77/ports.ini line 3)
  LPT1 - usblp:/dev/usb/lp0, USB printer 0fe6:811e Acme TP80  (from QW77_LPT1)
  LPT2 - vprinter:/tmp/qw77-lpt  (from QW77_PORT_ACCESS)
)");
}

}  // namespace
}  // namespace qw77
