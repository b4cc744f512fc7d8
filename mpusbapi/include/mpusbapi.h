/* The USB access library's interface: one pipe per direction to a device identified by a
 * "vid_XXXX&pid_XXXX" text, one buffer per call. Handles and results are 32-bit; a failed open
 * yields MPUSB_INVALID_HANDLE; results are non-zero for success unless said otherwise. */
#ifndef KD4410_MPUSBAPI_H
#define KD4410_MPUSBAPI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define MPUSB_API __attribute__((visibility("default")))
#else
#define MPUSB_API
#endif

#define MPUSB_INVALID_HANDLE 0xFFFFFFFFu
#define MPUSB_DIRECTION_READ 1u  /* device to host */
#define MPUSB_DIRECTION_WRITE 0u /* host to device */

/* The library's version, as major << 16 | minor. */
MPUSB_API uint32_t _MPUSBGetDLLVersion(void);
/* Number of attached devices with the identity, e.g. "vid_04d8&pid_000c". */
MPUSB_API uint32_t _MPUSBGetDeviceCount(const char *identity);
/* Opens the pipe of endpoint "\MCHP_EPn" of the index-th device with the identity. */
MPUSB_API uint32_t _MPUSBOpen(uint32_t index, const char *identity, const char *endpoint, uint32_t direction,
                    uint32_t reserved);
/* One transfer on a read pipe with the endpoint's own transfer type. */
MPUSB_API uint32_t _MPUSBRead(uint32_t handle, void *buffer, uint32_t length, uint32_t *received, uint32_t timeoutMs);
/* One interrupt transfer on a read pipe. */
MPUSB_API uint32_t _MPUSBReadInt(uint32_t handle, void *buffer, uint32_t length, uint32_t *received, uint32_t timeoutMs);
/* One transfer on a write pipe with the endpoint's own transfer type. */
MPUSB_API uint32_t _MPUSBWrite(uint32_t handle, const void *buffer, uint32_t length, uint32_t *sent, uint32_t timeoutMs);
/* Closes a pipe; the device is released with its last pipe. */
MPUSB_API uint32_t _MPUSBClose(uint32_t handle);
/* Selects a configuration of the pipe's device. */
MPUSB_API uint32_t _MPUSBSetConfiguration(uint32_t handle, uint32_t configuration);
/* Reads string descriptor index in language languageId (0 for the first one) of the pipe's device. */
MPUSB_API uint32_t _MPUSBGetStringDescriptor(uint32_t handle, uint32_t index, uint32_t languageId, void *buffer,
                                   uint32_t length, uint32_t *received);

/* Why the calling thread's last failed _MPUSBOpen failed (this library's own entry point; a
 * program that binds only the entry points above never needs it). */
#define MPUSB_OPEN_OK 0u          /* the last open succeeded, or none was tried */
#define MPUSB_OPEN_NOT_FOUND 1u   /* no device with the identity at that index */
#define MPUSB_OPEN_NO_ACCESS 2u   /* the device is there but this user may not open it */
#define MPUSB_OPEN_BUSY 3u        /* the device is there but its interface cannot be claimed */
#define MPUSB_OPEN_FAILED 4u      /* any other failure (no USB subsystem, bad endpoint text, ...) */
MPUSB_API uint32_t MPUSBGetLastOpenError(void);

typedef uint32_t (*MPUSBGetDLLVersionFn)(void);
typedef uint32_t (*MPUSBGetDeviceCountFn)(const char *);
typedef uint32_t (*MPUSBOpenFn)(uint32_t, const char *, const char *, uint32_t, uint32_t);
typedef uint32_t (*MPUSBReadFn)(uint32_t, void *, uint32_t, uint32_t *, uint32_t);
typedef uint32_t (*MPUSBWriteFn)(uint32_t, const void *, uint32_t, uint32_t *, uint32_t);
typedef uint32_t (*MPUSBCloseFn)(uint32_t);
typedef uint32_t (*MPUSBSetConfigurationFn)(uint32_t, uint32_t);
typedef uint32_t (*MPUSBGetStringDescriptorFn)(uint32_t, uint32_t, uint32_t, void *, uint32_t, uint32_t *);
typedef uint32_t (*MPUSBGetLastOpenErrorFn)(void);

#ifdef __cplusplus
}
#endif

#endif
