# The application core, room by room from the bottom up. No window system below frontend/.
# What differs between the systems sits in a subfolder named for the system (posix, win32),
# one file per system for the same declarations; CMake picks the folder.
if(WIN32)
  set(QW77_OS win32)
  # Windows 10's interfaces (WSAPoll among them), and windows.h without min and max macros.
  add_compile_definitions(_WIN32_WINNT=0x0A00 WINVER=0x0A00 WIN32_LEAN_AND_MEAN NOMINMAX
                          UNICODE _UNICODE)
  set(_base_os base/win32/CLocaleNumber.cpp base/win32/FileReplace.cpp base/win32/WindowsError.cpp)
else()
  set(QW77_OS posix)
  set(_base_os base/posix/CLocaleNumber.cpp base/posix/FileReplace.cpp)
endif()
qw77_room(qw77_base FOLDERS base
  SOURCES base/CodePage.cpp base/Errno.cpp base/Numbers.cpp base/Utf8.cpp ${_base_os})
if(WIN32)
  target_link_libraries(qw77_base PUBLIC ws2_32)
endif()

# The seams only; their implementations are a room of their own further down.
qw77_room(qw77_platform
  HEADERS platform/Clock.h platform/Devices.h platform/Endpoint.h platform/ParallelLink.h
          platform/ParallelRegisters.h platform/SerialLink.h platform/Services.h
          platform/System.h platform/WindowServices.h
  SOURCES platform/Devices.cpp platform/Endpoint.cpp platform/ParallelRegisters.cpp
          platform/SerialLink.cpp
  LINKS qw77_base)

qw77_room(qw77_protocol FOLDERS protocol
  SOURCES protocol/BarcodeBlock.cpp protocol/LogoBlock.cpp protocol/MaintenanceCommands.cpp
          protocol/StatusDecode.cpp
          protocol/Ticket.cpp
  LINKS qw77_platform)

qw77_room(qw77_form FOLDERS form
  SOURCES form/About.cpp form/BarcodeKeys.cpp form/ComPorts.cpp form/FrmMenu.cpp form/FrmMenuInventory.cpp
          form/ScrollBars.cpp form/Selection.cpp form/StartUp.cpp form/WindowState.cpp
  LINKS qw77_protocol qw77_platform)

qw77_room(qw77_transport FOLDERS transport
  SOURCES transport/Binding.cpp transport/ImageFile.cpp transport/IniLines.cpp
          transport/LineSettings.cpp transport/LogoFile.cpp
          transport/ParallelPort.cpp transport/PortListing.cpp transport/PortMap.cpp
          transport/PortsFile.cpp transport/SerialTransfer.cpp transport/ShellRunner.cpp
          transport/SpoolFile.cpp transport/SystemNames.cpp transport/${QW77_OS}/FileLock.cpp
          transport/${QW77_OS}/SystemNames.cpp
  LINKS qw77_protocol qw77_platform)
# Pictures for the printer tools' logos are read and written as PNG too.
find_package(PNG REQUIRED)
target_link_libraries(qw77_transport PRIVATE PNG::PNG)

qw77_room(qw77_jobs FOLDERS jobs
  SOURCES jobs/Actions.cpp jobs/FailureCause.cpp jobs/JobState.cpp jobs/ParallelJobs.cpp jobs/PrintAction.cpp
          jobs/PrinterTools.cpp jobs/SetupTools.cpp jobs/ToolSession.cpp
          jobs/SampleTicketJob.cpp jobs/SerialJobs.cpp jobs/ShellAndWait.cpp
          jobs/WindowJobs.cpp
  LINKS qw77_transport qw77_form)

# The POSIX and Linux implementations of the seams, and the factory that picks them; on
# Windows, the Win32 ones and a factory of their own (the clock and the byte-stream COM port
# are the same code on both).
if(WIN32)
  set(_os_sources platform/posix/SteadyClock.cpp platform/posix/StreamSerialControl.cpp
                  platform/win32/PlatformFactory.cpp platform/win32/Win32SerialLink.cpp
                  platform/win32/Win32System.cpp platform/win32/WinsockTcpLink.cpp)
  set(_os_folders platform/factory platform/posix platform/win32)
else()
  set(_os_sources platform/factory/PlatformFactory.cpp
                  platform/posix/PosixSystem.cpp platform/posix/SteadyClock.cpp
                  platform/posix/StreamSerialControl.cpp
                  platform/posix/TcpSerialControl.cpp platform/posix/TermiosSerialControl.cpp
                  platform/posix/VPrinterParallelLink.cpp)
  set(_os_folders platform/factory platform/posix)
endif()
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
  list(APPEND _os_sources platform/linux/Discovery.cpp platform/linux/PpdevLink.cpp
                          platform/linux/UsbLp.cpp)
  list(APPEND _os_folders platform/linux)
endif()
qw77_room(qw77_platform_os FOLDERS ${_os_folders} SOURCES ${_os_sources} LINKS qw77_platform)

# Everything below the front end, for the executables and the test binaries.
add_library(qw77_core INTERFACE)
target_link_libraries(qw77_core INTERFACE qw77_jobs qw77_platform_os)
