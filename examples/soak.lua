-- Soak loop: ask the device for its counter again and again, check that each answer comes in
-- time and is one more than the last, and count what went wrong. Prints a summary and exits 1
-- when any round failed.
--   kivern COM20 --script examples/soak.lua -- [ROUNDS] [TIMEOUT_MS]
local rounds = tonumber(arg[1]) or 1000
local timeout = tonumber(arg[2]) or 500
local errors, timeouts, last = 0, 0, nil

for i = 1, rounds do
  send("AT+COUNT?\r\n", { eol = "none" })
  local reply, count = expect("%+COUNT:(%d+)", timeout)
  if not reply then
    timeouts = timeouts + 1
    log(string.format("round %d: no answer within %d ms", i, timeout))
  else
    count = tonumber(count)
    if last and count ~= last + 1 then
      errors = errors + 1
      log(string.format("round %d: counter %d after %d", i, count, last))
    end
    last = count
    expect("OK\r\n", timeout)
  end
  if i % 100 == 0 then log(string.format("%d rounds, %d errors, %d timeouts", i, errors, timeouts)) end
end

print(string.format("soak: %d rounds, %d errors, %d timeouts", rounds, errors, timeouts))
exit((errors + timeouts == 0) and 0 or 1)
