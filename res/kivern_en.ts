<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>CAutoReplyDlg</name>
    <message>
        <source>第 %d 行：延时应为 0 到 %d 毫秒。</source>
        <translation>Row %d: the delay must be 0 to %d ms.</translation>
    </message>
    <message>
        <source>第 %d 行：回复不是十六进制字节（第 %d 个字符）。</source>
        <translation>Row %d: the reply is not hex bytes (character %d).</translation>
    </message>
    <message>
        <source>第 %d 行：没有回复。</source>
        <translation>Row %d: no reply.</translation>
    </message>
</context>
<context>
    <name>CColorGroup</name>
    <message>
        <source>不着色</source>
        <translation>None</translation>
    </message>
    <message>
        <source>高亮关键字：无</source>
        <translation>Highlight rules: none</translation>
    </message>
    <message>
        <source>高亮关键字：%d 条规则</source>
        <translation>Highlight rules: %d</translation>
    </message>
</context>
<context>
    <name>CDisplayGroup</name>
    <message>
        <source>8 字节</source>
        <translation>8 bytes</translation>
    </message>
    <message>
        <source>16 字节</source>
        <translation>16 bytes</translation>
    </message>
    <message>
        <source>32 字节</source>
        <translation>32 bytes</translation>
    </message>
    <message>
        <source>默认 (新宋体)</source>
        <translation>Default (NSimSun)</translation>
    </message>
</context>
<context>
    <name>CHighlightDlg</name>
    <message>
        <source>请填写要高亮的文字或表达式。</source>
        <translation>Enter the text or expression to highlight.</translation>
    </message>
    <message>
        <source>这不是有效的正则表达式：</source>
        <translation>This is not a valid regular expression: </translation>
    </message>
</context>
<context>
    <name>CKivernSettings</name>
    <message>
        <source>settings.json 无法使用，更改不会保存。</source>
        <translation>settings.json not usable:
changes will not be saved.</translation>
    </message>
    <message>
        <source>settings.json 无法写入，更改不会保存。</source>
        <translation>settings.json not writable:
changes will not be saved.</translation>
    </message>
</context>
<context>
    <name>CSettingsDlg</name>
    <message>
        <source>无</source>
        <translation>None</translation>
    </message>
    <message>
        <source>驱动默认</source>
        <translation>Default</translation>
    </message>
    <message>
        <source>开</source>
        <translation>On</translation>
    </message>
    <message>
        <source>关</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>惯用顺序</source>
        <translation>Customary</translation>
    </message>
    <message>
        <source>高字节在前</source>
        <translation>Big-endian</translation>
    </message>
    <message>
        <source>低字节在前</source>
        <translation>Little-endian</translation>
    </message>
    <message>
        <source>原始数据</source>
        <translation>Raw data</translation>
    </message>
    <message>
        <source>XMODEM (校验和)</source>
        <translation>XMODEM (checksum)</translation>
    </message>
</context>
<context>
    <name>Colors</name>
    <message>
        <source>红</source>
        <translation>Red</translation>
    </message>
    <message>
        <source>琥珀</source>
        <translation>Amber</translation>
    </message>
    <message>
        <source>绿</source>
        <translation>Green</translation>
    </message>
    <message>
        <source>蓝</source>
        <translation>Blue</translation>
    </message>
    <message>
        <source>紫</source>
        <translation>Purple</translation>
    </message>
    <message>
        <source>青</source>
        <translation>Teal</translation>
    </message>
    <message>
        <source>品红</source>
        <translation>Magenta</translation>
    </message>
    <message>
        <source>橙</source>
        <translation>Orange</translation>
    </message>
    <message>
        <source>，正则</source>
        <translation>, regex</translation>
    </message>
    <message>
        <source>，整行</source>
        <translation>, whole line</translation>
    </message>
</context>
<context>
    <name>Dialog</name>
    <message>
        <source>还原(&amp;R)</source>
        <translation>&amp;Restore</translation>
    </message>
    <message>
        <source>最小化(&amp;N)</source>
        <translation>Mi&amp;nimize</translation>
    </message>
    <message>
        <source>最大化(&amp;X)</source>
        <translation>Ma&amp;ximize</translation>
    </message>
    <message>
        <source>关闭(&amp;C)	Alt+F4</source>
        <translation>&amp;Close	Alt+F4</translation>
    </message>
    <message>
        <source>启用</source>
        <translation>On</translation>
    </message>
    <message>
        <source>收到的行含有</source>
        <translation>When a line contains</translation>
    </message>
    <message>
        <source>回复</source>
        <translation>Reply</translation>
    </message>
    <message>
        <source>延时 (ms)</source>
        <translation>Delay (ms)</translation>
    </message>
    <message>
        <source>收到的一行含有左边的内容时（勾选 Lua 则按 Lua 模式匹配），</source>
        <translation>When a received line contains the pattern (Lua: a Lua pattern),</translation>
    </message>
    <message>
        <source>延时后发送回复。回复按“发送换行”和校验的设置发送；</source>
        <translation>the reply is sent after the delay, with line end and checksum;</translation>
    </message>
    <message>
        <source>勾选 HEX 时填十六进制字节。</source>
        <translation>with HEX ticked, type the reply as hex bytes.</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>自动应答</source>
        <translation>Auto reply</translation>
    </message>
    <message>
        <source>串口设置</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>波特率：</source>
        <translation>Baud:</translation>
    </message>
    <message>
        <source>数据位：</source>
        <translation>Data bits:</translation>
    </message>
    <message>
        <source>校验位：</source>
        <translation>Parity:</translation>
    </message>
    <message>
        <source>停止位：</source>
        <translation>Stop bits:</translation>
    </message>
    <message>
        <source>打开串口</source>
        <translation>Open port</translation>
    </message>
    <message>
        <source>串  口：</source>
        <translation>Port:</translation>
    </message>
    <message>
        <source>流  控：</source>
        <translation>Flow:</translation>
    </message>
    <message>
        <source>接收设置</source>
        <translation>Receive</translation>
    </message>
    <message>
        <source>HEX显示</source>
        <translation>Hex RX</translation>
    </message>
    <message>
        <source>自动换行</source>
        <translation>Wrap</translation>
    </message>
    <message>
        <source>接收时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>发送设置</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>HEX发送</source>
        <translation>Hex TX</translation>
    </message>
    <message>
        <source>定时发送</source>
        <translation>Repeat</translation>
    </message>
    <message>
        <source>ms/次</source>
        <translation>ms</translation>
    </message>
    <message>
        <source>保存接收</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>发送</source>
        <translation>Send</translation>
    </message>
    <message>
        <source>清空接收</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>指令</source>
        <translation>Commands</translation>
    </message>
    <message>
        <source>指令框</source>
        <translation>Cmd</translation>
    </message>
    <message>
        <source>隐藏面板</source>
        <translation>Hide</translation>
    </message>
    <message>
        <source>清空历史记录</source>
        <translation>Clear history</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>重置</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Quelmar串口调试助手 V1.9   www.quelmar.example </source>
        <translation>Quelmar Serial Port Assistant V1.9   www.quelmar.example </translation>
    </message>
    <message>
        <source>串口工具 1.0 版</source>
        <translation>Serial Tool, version 1.0</translation>
    </message>
    <message>
        <source>串口调试终端，适用于 Linux</source>
        <translation>A serial terminal for Linux</translation>
    </message>
    <message>
        <source>关于串口工具</source>
        <translation>About Serial Tool</translation>
    </message>
    <message>
        <source>收发</source>
        <translation>Send and receive</translation>
    </message>
    <message>
        <source>数据编码：</source>
        <translation>Encoding:</translation>
    </message>
    <message>
        <source>发送换行：</source>
        <translation>Line ending:</translation>
    </message>
    <message>
        <source>在接收区显示发送数据</source>
        <translation>Show sent data in RX area</translation>
    </message>
    <message>
        <source>校验：</source>
        <translation>Checksum:</translation>
    </message>
    <message>
        <source>含文本发送</source>
        <translation>Also on text</translation>
    </message>
    <message>
        <source>字节序：</source>
        <translation>Byte order:</translation>
    </message>
    <message>
        <source>宽松十六进制</source>
        <translation>Loose hex</translation>
    </message>
    <message>
        <source>打开串口时的控制线</source>
        <translation>Control lines on open</translation>
    </message>
    <message>
        <source>DTR：</source>
        <translation>DTR:</translation>
    </message>
    <message>
        <source>RTS：</source>
        <translation>RTS:</translation>
    </message>
    <message>
        <source>BREAK 与复位</source>
        <translation>BREAK and reset</translation>
    </message>
    <message>
        <source>BREAK：</source>
        <translation>BREAK:</translation>
    </message>
    <message>
        <source>复位：</source>
        <translation>Reset:</translation>
    </message>
    <message>
        <source>拉低：</source>
        <translation>Pulse:</translation>
    </message>
    <message>
        <source>重新连接</source>
        <translation>Reconnect</translation>
    </message>
    <message>
        <source>设备拔出后自动重连，等待</source>
        <translation>Reconnect after unplug, wait</translation>
    </message>
    <message>
        <source>秒</source>
        <translation>s</translation>
    </message>
    <message>
        <source>按路径添加的端口</source>
        <translation>Ports added by path</translation>
    </message>
    <message>
        <source>设备路径：</source>
        <translation>Device path:</translation>
    </message>
    <message>
        <source>添加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>已添加：</source>
        <translation>Added:</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>接收记录</source>
        <translation>Receive log</translation>
    </message>
    <message>
        <source>实时记录到文件：</source>
        <translation>Log to file:</translation>
    </message>
    <message>
        <source>浏览...</source>
        <translation>Browse...</translation>
    </message>
    <message>
        <source>按开始时间命名（上面填文件夹）</source>
        <translation>Name by start time (dir above)</translation>
    </message>
    <message>
        <source>接收区最多保留：</source>
        <translation>Display limit:</translation>
    </message>
    <message>
        <source>MiB（0 表示不限）</source>
        <translation>MiB (0: no limit)</translation>
    </message>
    <message>
        <source>发送历史</source>
        <translation>Send history</translation>
    </message>
    <message>
        <source>退出后保留发送历史</source>
        <translation>Keep send history after exit</translation>
    </message>
    <message>
        <source>文件传输</source>
        <translation>File transfer</translation>
    </message>
    <message>
        <source>协议：</source>
        <translation>Protocol:</translation>
    </message>
    <message>
        <source>原始发送暂停：</source>
        <translation>Raw pause:</translation>
    </message>
    <message>
        <source>毫秒，每</source>
        <translation>ms per</translation>
    </message>
    <message>
        <source>字节后 (0: 每行后)</source>
        <translation>bytes (0: a line)</translation>
    </message>
    <message>
        <source>显示</source>
        <translation>Display</translation>
    </message>
    <message>
        <source>每行时间戳（代替接收时间的 100 ms 规则）</source>
        <translation>Stamp every line (instead of the 100 ms rule)</translation>
    </message>
    <message>
        <source>并显示与上一行相隔的秒数（+0.012）</source>
        <translation>and the seconds since the line before (+0.012)</translation>
    </message>
    <message>
        <source>十六进制按行显示</source>
        <translation>Hex in rows</translation>
    </message>
    <message>
        <source>每行</source>
        <translation>of</translation>
    </message>
    <message>
        <source>偏移从每段数据（静默或时间戳之后）的首字节算起</source>
        <translation>Offset 0 is the first byte after a pause or stamp</translation>
    </message>
    <message>
        <source>字体：</source>
        <translation>Font:</translation>
    </message>
    <message>
        <source>字号：</source>
        <translation>Size:</translation>
    </message>
    <message>
        <source>像素（默认 14）</source>
        <translation>px (default 14)</translation>
    </message>
    <message>
        <source>缩放：Ctrl+滚轮，Ctrl+= / Ctrl+-，Ctrl+0 恢复默认</source>
        <translation>Zoom: Ctrl+wheel, Ctrl+= / Ctrl+-, Ctrl+0 resets</translation>
    </message>
    <message>
        <source>颜色与高亮</source>
        <translation>Colours and highlights</translation>
    </message>
    <message>
        <source>解析 ANSI 颜色（ESC [ … m）</source>
        <translation>Interpret ANSI colours (ESC [ … m)</translation>
    </message>
    <message>
        <source>发送行 (TX&gt;) 颜色：</source>
        <translation>Sent lines (TX&gt;):</translation>
    </message>
    <message>
        <source>高亮关键字...</source>
        <translation>Highlights...</translation>
    </message>
    <message>
        <source>收到匹配的行时自动回复</source>
        <translation>Reply to matching lines</translation>
    </message>
    <message>
        <source>自动应答...</source>
        <translation>Auto reply...</translation>
    </message>
    <message>
        <source>更多设置</source>
        <translation>More settings</translation>
    </message>
    <message>
        <source>查找内容：</source>
        <translation>Find:</translation>
    </message>
    <message>
        <source>下一个</source>
        <translation>Next</translation>
    </message>
    <message>
        <source>上一个</source>
        <translation>Previous</translation>
    </message>
    <message>
        <source>区分大小写</source>
        <translation>Match case</translation>
    </message>
    <message>
        <source>十六进制（如 41 0D）</source>
        <translation>Hex (e.g. 41 0D)</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>查找</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>规则：</source>
        <translation>Rules:</translation>
    </message>
    <message>
        <source>文字或表达式：</source>
        <translation>Text or regex:</translation>
    </message>
    <message>
        <source>正则表达式</source>
        <translation>Regex</translation>
    </message>
    <message>
        <source>整行着色</source>
        <translation>Whole line</translation>
    </message>
    <message>
        <source>颜色：</source>
        <translation>Colour:</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Change</translation>
    </message>
    <message>
        <source>示例：ERROR/WARN/OK</source>
        <translation>Example: ERROR/WARN/OK</translation>
    </message>
    <message>
        <source>高亮关键字</source>
        <translation>Highlights</translation>
    </message>
    <message>
        <source>关于 KIVERN(&amp;A)...</source>
        <translation>&amp;About KIVERN...</translation>
    </message>
    <message>
        <source>更多设置...</source>
        <translation>More settings...</translation>
    </message>
    <message>
        <source>下次启动时生效</source>
        <translation>Takes effect at the next start</translation>
    </message>
</context>
<context>
    <name>PathPorts</name>
    <message>
        <source>没有空闲的串口号 (COM1 - COM255 均已使用)</source>
        <translation>No free port number (COM1 - COM255 are all taken)</translation>
    </message>
    <message>
        <source>%s
不是有效的网络串口地址 (rfc2217://主机:端口 或 tcp://主机:端口)</source>
        <translation>%s
is not a valid network port address (rfc2217://host:port or tcp://host:port)</translation>
    </message>
    <message>
        <source>%s
不是串口或终端设备</source>
        <translation>%s
is not a serial port or terminal device</translation>
    </message>
</context>
</TS>
