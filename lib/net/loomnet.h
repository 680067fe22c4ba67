/* Network exports of loomlib.dll: name lookups, HTTP download and the update
 * entry.  Every export uses the C calling convention and ANSI texts; callers
 * own every buffer they pass. */
#ifndef LOOM_NET_LOOMNET_H
#define LOOM_NET_LOOMNET_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The caller's progress function for downloads through the system's URL
 * download service: bytes so far, bytes expected, the service's status code
 * and status text (may be null).  *cancel is 0 on entry; setting it to a
 * non-zero value cancels the download.  The result is ignored. */
typedef int(__stdcall *DownloadProgress)(DWORD progress, DWORD progressMax, DWORD statusCode,
                                         const wchar_t *statusText, int *cancel);

/* 1 when the system reports a network, else 0. */
int __cdecl IsNetworkExists(void);

/* The two lookups return 0 on success; 1 when Windows Sockets cannot be
 * started, 2 when the started version is not 1.1, otherwise the socket
 * layer's error code (11001 for a host that is not found).  On failure the
 * output is left as it was.  The caller sizes the output for the whole
 * result.
 *
 * IPtoServerNameS: address is four decimal numbers 0-255 with dots between
 * them (no leading zeros); any other text returns -1.  The output is the
 * host's official name and, when withAliases is non-zero, each alias after
 * one space.
 *
 * ServerNametoIPS: the output is the host's first address in dotted form,
 * or, when all is non-zero, every address each followed by one space.  The
 * empty name stands for the local machine, as the socket layer has it. */
int __cdecl IPtoServerNameS(const char *address, char *out, int withAliases);
int __cdecl ServerNametoIPS(const char *host, char *out, int all);

/* Fetches a document into the file outPath; 0 on success, -1 on failure.
 * The document is written under a temporary name ("~lm....tmp") in
 * outPath's folder and replaces outPath only when the download succeeded; a
 * download that fails, at any point, leaves outPath as it was (or absent)
 * and no partial file anywhere.  A read-only outPath is not replaced: -1
 * with ERROR_ACCESS_DENIED.
 *
 * Mode 1 is the library's own client: it sends the one line "GET <path>\n"
 * (cut to 1,023 characters) to the port of the service "http" in the
 * services database (80 when not listed) and stores everything the server
 * sends, status line and headers included, until the server closes the
 * connection.  An answer that begins with an HTTP status line and states a
 * Content-Length, but ends before that many bytes followed its header, was
 * cut off: -1 with ERROR_HANDLE_EOF (38).  outPath may be null: the answer
 * is then read and discarded.  The pending file is made before the client
 * connects, so an output that cannot be made fails the call before any
 * request.  The client waits at most 30 seconds for the connection and 30
 * seconds for each next piece of the answer; a server that stays silent
 * longer fails the call.  After a failure the thread's last error (GetLastError) holds the
 * socket error code (10060 for a time-out, 10061 for a refused connection,
 * 10054 for a reset one, 11001 for an unknown host), ERROR_HANDLE_EOF for a
 * cut-off answer (a socket layer may report a reset after part of the
 * stated length that way too), or the file system's code when the output
 * file cannot be created, written or put in place (ERROR_PATH_NOT_FOUND
 * for a missing folder, ERROR_DISK_FULL).  A dotted host is looked up in
 * reverse; an empty host is not looked up and fails with 11001.
 *
 * Any other mode hands the URL to the system's URL download service
 * (URLDownloadToFileA); progress, when not null, is called as the download
 * goes on and may cancel it.  Whether a download succeeded is the service's
 * verdict (it may, for one, take a document that ends early for whole).
 * The progress function is kept in one variable shared by the whole library
 * until the next such download.
 *
 * GetHttp: the URL is "http://" + host + path, at most 32,760 characters;
 * a longer one returns -1 in every mode.
 *
 * Download: in mode 1 the URL starts with "http://" (any case), the host runs
 * up to the next "/" and the path is the rest from there (empty when there is
 * none); the part after "http://" is at most 1,023 characters.  Any other URL
 * returns -1.  Other modes pass the URL unchanged. */
int __cdecl GetHttp(const char *host, const char *path, const char *outPath,
                    DownloadProgress progress, int mode);
int __cdecl Download(const char *url, const char *outPath, DownloadProgress progress, int mode);

/* The suite's update entry: returns 1 at once and does nothing else. */
int __cdecl LoomUpdate(void);

#ifdef __cplusplus
}
#endif

#endif
