-- Board bring-up: check that the device answers, read its version and name, set a name, reset
-- it and wait for it to come back. Exits 0 when every step passed, 1 at the first that did not.
--   kivern COM20 --script examples/bringup.lua [-- NAME]
-- (kivern-vdev answers these commands; in the window: 运行脚本..., Ctrl+Shift+L.)
local name = arg[1] or "BENCH-01"

local function step(what, command, pattern)
  send(command .. "\r\n", { eol = "none" })
  local reply, value = expect(pattern, 2000)
  if not reply then
    log("FAIL " .. what .. ": no answer to " .. command)
    exit(1)
  end
  if pattern ~= "OK\r\n" then expect("OK\r\n", 1000) end
  log("ok   " .. what .. (value and (": " .. value) or ""))
  return value
end

step("alive", "AT", "OK\r\n")
local version = step("version", "AT+VERS?", "%+VERS:(%S+)")
step("name", "AT+NAME=" .. name, "%+NAME:(%S+)")
step("reset", "AT+RESET", "OK\r\n")
if not expect("%+READY", 5000) then
  log("FAIL reset: the board did not come back")
  exit(1)
end
log("ok   ready")
print(string.format("bring-up passed: %s, firmware %s", name, version))
