#include "platform/linux/Discovery.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>
#include <map>
#include <optional>
#include <set>

namespace qw77 {
namespace {

namespace fs = std::filesystem;

std::string_view Trimmed(std::string_view text) {
  auto space = [](char c) { return std::isspace(static_cast<unsigned char>(c)) || c == '\0'; };
  while (!text.empty() && space(text.front())) text.remove_prefix(1);
  while (!text.empty() && space(text.back())) text.remove_suffix(1);
  return text;
}

// A sysfs attribute's text without its trailing newline; empty when it cannot be read.
// Attributes are short; the bound keeps a stray large file from being read whole.
std::string ReadAttribute(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return {};
  std::string text(4096, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  return std::string(Trimmed(text));
}

// Names come from the devices themselves (USB string descriptors, IEEE 1284 ids): a control
// character in one must not reach a terminal or a tool tip as such.
void MakePrintable(DeviceInfo& device) {
  auto clean = [](std::string& text) {
    for (char& c : text) {
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
  };
  for (std::string* text : {&device.usb_id, &device.maker, &device.model, &device.serial}) {
    clean(*text);
  }
  for (std::string& alias : device.aliases) clean(alias);
}

// The numbers N of the entries named <prefix>N in `dir`, in order.
std::vector<unsigned> NumberedEntries(const fs::path& dir, std::string_view prefix) {
  std::set<unsigned> numbers;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
    unsigned number = 0;
    const char* first = name.data() + prefix.size();
    const char* last = name.data() + name.size();
    const auto [stop, err] = std::from_chars(first, last, number);
    if (err == std::errc() && stop == last) numbers.insert(number);
  }
  return {numbers.begin(), numbers.end()};
}

bool IsWithin(const fs::path& path, const fs::path& folder) {
  auto [folder_end, path_at] =
      std::mismatch(folder.begin(), folder.end(), path.begin(), path.end());
  return folder_end == folder.end();
}

// Maker and model from an IEEE 1284 device id ("MFG:Acme;MDL:TP80;CMD:ESC/POS;"), taking the
// short keys MFG/MDL or the long ones MANUFACTURER/MODEL in any case.
struct Ieee1284Names {
  std::string maker, model;
};

Ieee1284Names ParseIeee1284Id(std::string_view device_id) {
  Ieee1284Names names;
  while (!device_id.empty()) {
    const std::size_t end = std::min(device_id.find(';'), device_id.size());
    const std::string_view field = device_id.substr(0, end);
    device_id.remove_prefix(std::min(end + 1, device_id.size()));
    const std::size_t colon = field.find(':');
    if (colon == std::string_view::npos) continue;
    std::string key(Trimmed(field.substr(0, colon)));
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const std::string_view value = Trimmed(field.substr(colon + 1));
    if ((key == "MFG" || key == "MANUFACTURER") && names.maker.empty()) names.maker = value;
    if ((key == "MDL" || key == "MODEL") && names.model.empty()) names.model = value;
  }
  return names;
}

struct UsbIdentity {
  std::string usb_id, manufacturer, product, serial;
};

// The USB device a class device hangs from: up from the real folder of its `device` link to
// the first folder that has idVendor (a tty's device is a port or an interface of it), never
// leaving <root>/sys.
std::optional<UsbIdentity> UsbDeviceAbove(const fs::path& root, const fs::path& device_link) {
  std::error_code ec;
  const fs::path sys = fs::canonical(root / "sys", ec);
  if (ec) return std::nullopt;
  fs::path dir = fs::canonical(device_link, ec);
  if (ec) return std::nullopt;
  while (IsWithin(dir, sys) && dir != sys) {
    if (fs::exists(dir / "idVendor", ec)) {
      UsbIdentity usb;
      const std::string vendor = ReadAttribute(dir / "idVendor");
      const std::string product = ReadAttribute(dir / "idProduct");
      if (!vendor.empty() && !product.empty()) usb.usb_id = vendor + ":" + product;
      usb.manufacturer = ReadAttribute(dir / "manufacturer");
      usb.product = ReadAttribute(dir / "product");
      usb.serial = ReadAttribute(dir / "serial");
      return usb;
    }
    dir = dir.parent_path();
  }
  return std::nullopt;
}

// udev's persistent names under <root>/dev/serial/by-id and by-path, by the device they lead
// to (as a path under root).
std::map<std::string, std::vector<std::string>> SerialAliases(const fs::path& root) {
  std::map<std::string, std::vector<std::string>> aliases;
  for (const char* folder : {"by-id", "by-path"}) {
    const fs::path dir = root / "dev" / "serial" / folder;
    std::error_code ec;
    std::vector<fs::path> links;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir, ec)) {
      if (entry.is_symlink(ec)) links.push_back(entry.path());
    }
    std::sort(links.begin(), links.end());
    for (const fs::path& link : links) {
      const fs::path target = fs::read_symlink(link, ec);
      if (ec) continue;
      const fs::path resolved =
          target.is_absolute() ? root / target.relative_path() : link.parent_path() / target;
      aliases[resolved.lexically_normal().string()].push_back(
          (fs::path("/dev/serial") / folder / link.filename()).string());
    }
  }
  return aliases;
}

void AddUsbIdentity(DeviceInfo& device, const std::optional<UsbIdentity>& usb) {
  if (!usb) return;
  device.usb_id = usb->usb_id;
  if (device.maker.empty()) device.maker = usb->manufacturer;
  if (device.model.empty()) device.model = usb->product;
  if (device.serial.empty()) device.serial = usb->serial;
}

void AddSerialDevices(const fs::path& root, std::vector<DeviceInfo>& devices) {
  const fs::path tty = root / "sys" / "class" / "tty";
  const std::map<std::string, std::vector<std::string>> aliases = SerialAliases(root);
  struct Family {
    std::string_view prefix;
    std::string_view kind;
    bool usb;
  };
  constexpr Family kFamilies[] = {{"ttyS", kKindSerialPort, false},
                                  {"ttyUSB", kKindUsbSerial, true},
                                  {"ttyACM", kKindCdcAcm, true}};
  for (const Family& family : kFamilies) {
    for (unsigned number : NumberedEntries(tty, family.prefix)) {
      const std::string name = std::string(family.prefix) + std::to_string(number);
      // The 8250 driver registers as many ttyS as it is configured for; one without a UART
      // behind it says type 0.
      if (!family.usb && ReadAttribute(tty / name / "type") == "0") continue;
      DeviceInfo device;
      device.dev_path = "/dev/" + name;
      device.kind = family.kind;
      if (auto found = aliases.find((root / "dev" / name).lexically_normal().string());
          found != aliases.end()) {
        device.aliases = found->second;
      }
      if (family.usb) AddUsbIdentity(device, UsbDeviceAbove(root, tty / name / "device"));
      devices.push_back(std::move(device));
    }
  }
}

void AddUsbPrinters(const fs::path& root, std::vector<DeviceInfo>& devices) {
  const fs::path usbmisc = root / "sys" / "class" / "usbmisc";
  for (unsigned number : NumberedEntries(usbmisc, "lp")) {
    const fs::path device_link = usbmisc / ("lp" + std::to_string(number)) / "device";
    DeviceInfo device;
    device.dev_path = "/dev/usb/lp" + std::to_string(number);
    device.kind = kKindUsbPrinter;
    const Ieee1284Names names = ParseIeee1284Id(ReadAttribute(device_link / "ieee1284_id"));
    device.maker = names.maker;
    device.model = names.model;
    AddUsbIdentity(device, UsbDeviceAbove(root, device_link));
    devices.push_back(std::move(device));
  }
}

void AddParallelPorts(const fs::path& root, std::vector<DeviceInfo>& devices) {
  // Each place lists the ports only while its driver is loaded (ppdev, parport); any of them
  // is enough.
  std::set<unsigned> numbers;
  const fs::path proc_ports = root / "proc" / "sys" / "dev" / "parport";
  for (const fs::path& dir : {root / "sys" / "class" / "ppdev",
                              root / "sys" / "bus" / "parport" / "devices", proc_ports}) {
    for (unsigned number : NumberedEntries(dir, "parport")) numbers.insert(number);
  }
  for (unsigned number : numbers) {
    DeviceInfo device;
    device.dev_path = "/dev/parport" + std::to_string(number);
    device.kind = kKindParallelPort;
    // The kernel keeps the device id that the printer on the port answered, if it did.
    const Ieee1284Names names = ParseIeee1284Id(
        ReadAttribute(proc_ports / ("parport" + std::to_string(number)) / "autoprobe"));
    device.maker = names.maker;
    device.model = names.model;
    devices.push_back(std::move(device));
  }
}

}  // namespace

std::vector<DeviceInfo> DiscoverDevices(const fs::path& root) {
  std::vector<DeviceInfo> devices;
  AddSerialDevices(root, devices);
  AddUsbPrinters(root, devices);
  AddParallelPorts(root, devices);
  for (DeviceInfo& device : devices) MakePrintable(device);
  return devices;
}

}  // namespace qw77
