-- Row 14: N request/reply round trips with kivern-vdev (AT+ECHO=n, answered by "+ECHO:n" and
-- OK); prints the round trips per second. Run by bench/roundtrip.sh.
local n = tonumber(arg[1]) or 2000
local function now() return tonumber(io.popen("date +%s.%N"):read("l")) end
local t0 = now()
for i = 1, n do
  send("AT+ECHO=" .. i .. "\r\n", { eol = "none", checksum = false })
  if not expect("OK\r\n", 5000) then print("no answer to " .. i) exit(1) end
end
print(string.format("%.1f", n / (now() - t0)))
