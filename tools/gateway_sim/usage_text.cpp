#include "tools/gateway_sim/usage_text.h"

const char kUsageText[] =
    R"(Usage: vellora-gateway-sim [options]

Simulates Ethernet gateway modules: answers searches on UDP, applies the set-config,
reboot, set-MAC and set-EEPROM requests addressed to its gateways by MAC, and serves CR LF
text lines on TCP. Every received request is printed as one line on stdout.

Network:
  --bind ADDR            UDP address to listen on (default 0.0.0.0)
  --interface NAME       bind the UDP and TCP sockets to this interface (SO_BINDTODEVICE);
                         with the default --bind 0.0.0.0 broadcasts to it are heard
  --udp-port N           UDP port (default 8003; 0 = any free port)
  --tcp-bind ADDR        TCP address (default: the --bind address)
  --tcp-port N           TCP port (default 80; 0 = any free port)
  --no-tcp               no TCP server

Gateways (gateway i counts from 1):
  --gateways N           number of gateways (default 1, or the number of --gateway options)
  --mac-base MAC         MAC of gateway 1; gateway i gets MAC + i-1 (default 02:00:00:00:00:01)
  --ip-base ADDR         address and address in use of gateway 1; gateway i gets ADDR + i-1
                         (default 192.168.0.101)
  --gateway SETTINGS     settings of the next gateway (repeatable; the first --gateway is
                         gateway 1): key=value[,key=value...] with the keys
                           mac=MAC  ip=ADDR  actual=ADDR (address in use)  mask=ADDR
                           gw=ADDR  dns=ADDR  name=TEXT (<= 20)  server=TEXT (<= 64)
                           proxy=TEXT (<= 64)  port=0..65535  dhcp=0..255  useproxy=0..255
                           spare=0..255 (reply byte 10)
                         ip= also sets actual= unless actual= is given. Texts cannot hold
                         commas. Defaults: name sim-gw-i, netmask 255.255.255.0, default
                         gateway and DNS the .1 of the base subnet, port 80, DHCP and proxy
                         off, server and proxy empty.
  --read-only            gateways answer searches but carry out no command, as a
                         write-protected module
  MAC: 02:00:00:00:00:01, 02-00-00-00-00-01, "02 00 00 00 00 01" or 020000000001.

Replies:
  --reply unicast|broadcast
                         unicast to the sender (default), or to 255.255.255.255 and the
                         sender's port like an unconfigured module (needs --interface)
  --delay-ms N           hold every reply N ms (default 0)
  --jitter-ms N          plus a random 0..N ms per copy (default 0)
  --loss P               drop each copy with probability P, 0..1 (default 0)
  --duplicates N         send N extra copies of every reply (default 0)
  --seed N               seed of the random choices (default: from the clock, printed)
  --reboot-seconds S     how long a rebooting gateway is silent (default 3; fractions allowed)
  --log-replies          also print a line for every datagram sent

Hostile answers to a search (robustness tests):
  --hostile KIND[,KIND...]
      length-field       a full reply with length field 185, and one with 187
      short              the first 100 bytes of a reply, header intact
      long               a reply padded to 255 bytes, and one padded to 300 bytes
      no-nul             name, server and proxy fields without a NUL
      bad-command        a 181-byte datagram with command 0x04, a 186-byte one with 0x02
      bad-first-byte     a reply whose byte 0 is 0x01
      malformed          all six above
      many-macs          valid replies from --hostile-macs distinct MACs (02:BA:D0:00:00:01 up)
      flood              --hostile-count copies of every reply
      stream             replies at --hostile-rate per second to the last searcher, for
                         --hostile-seconds after each search
  --hostile-only         leave out the normal replies
  --hostile-macs N       default 25
  --hostile-count N      default 100
  --hostile-rate N       datagrams per second, default 1000
  --hostile-seconds S    default 5
  Hostile datagrams of a search go out before its normal replies.

TCP text lines (CR LF terminated):
  --tcp-mode status|flood|close|silent
      status             one status line at once and then every --interval-ms (default):
                         "NAME (MAC) status line N, up S s" of the gateway whose address in
                         use the client connected to, else of gateway 1
      flood              lines of --line-length characters at --rate lines per second
      close              --close-after status lines at once, then the connection is closed
      silent             accepts and sends nothing
  --interval-ms N        default 1000
  --line-length N        1..8192, default 64
  --rate N               lines per second and client, 0 = as fast as possible (default 0)
  --close-after N        default 3
  --max-clients N        clients at once, default 16; more are accepted and closed

Other:
  --run-seconds S        stop by itself after S seconds (default 0: run until SIGINT/SIGTERM)
  --help                 this text

Output (stdout, one line per event, flushed at once; fields are key=value, texts in double
quotes with \" \\ and \xNN escapes; every line starts with the local time HH:MM:SS.mmm):
  gateway index=I mac="M" actual=A dhcp=N ip=A mask=A gw=A dns=A name="T" server="T"
          useproxy=N proxy="T" port=N spare=N                 (at start, one per gateway)
  ready udp=ADDR:PORT tcp=ADDR:PORT|off interface=NAME|- gateways=N reply=MODE seed=N
          hostile=KINDS tcp-mode=MODE                          (when serving)
  rx from=ADDR:PORT cmd=NAME mac="M" FIELDS outcome=O gateways=I[,I...]|- len=N hex=BYTES
      FIELDS: SearchRequest none; RebootRequest seconds=S;
              SetConfigRequest dhcp ip mask gw dns name server useproxy proxy port as above;
              SetMacRequest new-mac="M"; SetEepromRequest address=0xHHHH value=0xHH
              previous=0xHH|-
      O: answered, applied, unknown-mac, rebooting, ignored (--read-only); gateways: the
      numbers that heard it
      hex: the bytes read, at most 2048; len: the datagram's full size
  malformed from=ADDR:PORT len=N reason=R [cmd=0xHH length-field=N] hex=BYTES
      R: short-header, first-byte, command, length-field, truncated
  awake gateway=I mac="M" actual=A                            (a reboot ended)
  tx to=ADDR:PORT kind=K len=N mac="M"                         (with --log-replies)
  tx-error to=ADDR:PORT kind=K error="TEXT"
  rx-error error="TEXT"
  tcp-open from=ADDR:PORT clients=N
  tcp-close from=ADDR:PORT lines=N bytes=N reason=peer|done|error|refused
  stop reason=SIGINT|SIGTERM|time requests=N malformed=N sent=N
  The datagrams that a request makes due at once (no --delay-ms or --jitter-ms) are sent
  before the next datagram is read, so they are on the wire before the next rx or
  malformed line appears.
  A rebooting gateway hears nothing; when its reboot ends it uses its configured IP address
  as its address in use, unless DHCP is on. Exit status: 0 after a stop, 1 when a socket
  cannot be set up, 2 for a bad command line.
)";
