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
    <name>CFileSend</name>
    <message>
        <source>无法读取文件：</source>
        <translation>Cannot read the file: </translation>
    </message>
    <message>
        <source>这是一个文件夹，不是文件。</source>
        <translation>This is a folder, not a file.</translation>
    </message>
    <message>
        <source>这是一个管道 (FIFO)，不能作为文件发送。</source>
        <translation>This is a pipe (FIFO); it cannot be sent as a file.</translation>
    </message>
    <message>
        <source>这不是普通文件，不能发送。</source>
        <translation>This is not a regular file; it cannot be sent.</translation>
    </message>
    <message>
        <source>文件是空的，没有可发送的数据。</source>
        <translation>The file is empty: there is nothing to send.</translation>
    </message>
    <message>
        <source>读取文件出错：</source>
        <translation>Error reading the file: </translation>
    </message>
    <message>
        <source>文件在发送过程中变小了，已发送的部分保持原样。</source>
        <translation>The file shrank while it was sent; what was sent stays as it is.</translation>
    </message>
</context>
<context>
    <name>CFileTransfer</name>
    <message>
        <source>找不到程序 %s。请安装软件包 lrzsz (apt install lrzsz)。</source>
        <translation>Program %s not found. Please install the package lrzsz (apt install lrzsz).</translation>
    </message>
    <message>
        <source>请先打开串口。</source>
        <translation>Open the port first.</translation>
    </message>
    <message>
        <source>所有文件 (*)|*||</source>
        <translation>All Files (*)|*||</translation>
    </message>
    <message>
        <source>发送 %s</source>
        <translation>Sending %s</translation>
    </message>
    <message>
        <source>接收文件要用 XMODEM、YMODEM 或 ZMODEM：请在 更多设置 中选择文件协议。</source>
        <translation>Receiving a file needs XMODEM, YMODEM or ZMODEM: choose the file protocol in More Settings.</translation>
    </message>
    <message>
        <source>接收文件</source>
        <translation>Receiving a file</translation>
    </message>
    <message>
        <source>, 剩余 %ld:%02ld</source>
        <translation>, %ld:%02ld left</translation>
    </message>
    <message>
        <source>  (Esc 取消)</source>
        <translation>  (Esc cancels)</translation>
    </message>
    <message>
        <source>传输中止：串口已关闭</source>
        <translation>Aborted: port closed</translation>
    </message>
    <message>
        <source>%s 中止：串口已关闭</source>
        <translation>%s aborted: the port was closed</translation>
    </message>
    <message>
        <source>串口已关闭或设备已移除，文件传输已中止。</source>
        <translation>The port was closed or its device removed; the file transfer was aborted.</translation>
    </message>
    <message>
        <source>文件传输完成</source>
        <translation>Transfer complete</translation>
    </message>
    <message>
        <source>%s 完成：%s</source>
        <translation>%s complete: %s</translation>
    </message>
    <message>
        <source>文件传输已取消</source>
        <translation>Transfer cancelled</translation>
    </message>
    <message>
        <source>%s 已取消</source>
        <translation>%s cancelled</translation>
    </message>
    <message>
        <source>文件传输失败</source>
        <translation>Transfer failed</translation>
    </message>
    <message>
        <source>%s 失败：%s</source>
        <translation>%s failed: %s</translation>
    </message>
</context>
<context>
    <name>CFindDlg</name>
    <message>
        <source>请输入要查找的内容</source>
        <translation>Type what to find</translation>
    </message>
    <message>
        <source>十六进制格式不对，应为 41 0D 这样的字节</source>
        <translation>Not hex: type bytes like 41 0D</translation>
    </message>
    <message>
        <source>内容里有 GBK 无法表示的字符</source>
        <translation>Some characters have no GBK form</translation>
    </message>
    <message>
        <source>正在查找...</source>
        <translation>Searching...</translation>
    </message>
    <message>
        <source>接收区已清空或裁剪，查找已停止</source>
        <translation>Text cleared or trimmed; search stopped</translation>
    </message>
    <message>
        <source>正在查找... %d%%</source>
        <translation>Searching... %d%%</translation>
    </message>
    <message>
        <source>找不到“%s”</source>
        <translation>Cannot find &quot;%s&quot;</translation>
    </message>
    <message>
        <source>找到</source>
        <translation>Found</translation>
    </message>
    <message>
        <source>已到末尾，从开头找到</source>
        <translation>End reached, found from start</translation>
    </message>
    <message>
        <source>已到开头，从末尾找到</source>
        <translation>Start reached, found from end</translation>
    </message>
    <message>
        <source>%s（位置 %lld）</source>
        <translation>%s (at %lld)</translation>
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
    <name>CKIVERNDlg</name>
    <message>
        <source>串口</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>Baud rate</translation>
    </message>
    <message>
        <source>数据位</source>
        <translation>Data bits</translation>
    </message>
    <message>
        <source>校验位</source>
        <translation>Parity</translation>
    </message>
    <message>
        <source>停止位</source>
        <translation>Stop bits</translation>
    </message>
    <message>
        <source>流控</source>
        <translation>Flow control</translation>
    </message>
    <message>
        <source>接收区</source>
        <translation>Receive area</translation>
    </message>
    <message>
        <source>发送区</source>
        <translation>Send area</translation>
    </message>
    <message>
        <source>定时发送间隔</source>
        <translation>Timed send interval</translation>
    </message>
    <message>
        <source>发送历史</source>
        <translation>Send history</translation>
    </message>
    <message>
        <source>DTR 控制线</source>
        <translation>DTR line</translation>
    </message>
    <message>
        <source>RTS 控制线</source>
        <translation>RTS line</translation>
    </message>
    <message>
        <source>输入线</source>
        <translation>Input lines</translation>
    </message>
    <message>
        <source>指令 %d</source>
        <translation>Command %d</translation>
    </message>
    <message>
        <source>指令 %d HEX</source>
        <translation>Command %d HEX</translation>
    </message>
    <message>
        <source>发送指令 %d</source>
        <translation>Send command %d</translation>
    </message>
    <message>
        <source>每行时间戳</source>
        <translation>Stamp Every Line</translation>
    </message>
    <message>
        <source>十六进制按行显示</source>
        <translation>Hex in Rows</translation>
    </message>
    <message>
        <source>放大	Ctrl+=</source>
        <translation>Zoom In	Ctrl+=</translation>
    </message>
    <message>
        <source>缩小	Ctrl+-</source>
        <translation>Zoom Out	Ctrl+-</translation>
    </message>
    <message>
        <source>默认大小	Ctrl+0</source>
        <translation>Default Size	Ctrl+0</translation>
    </message>
    <message>
        <source>发送框 (Alt+S)，Ctrl+Enter 发送</source>
        <translation>Send box (Alt+S), Ctrl+Enter sends</translation>
    </message>
    <message>
        <source>接收区 (Alt+R)，菜单 Shift+F10，更多设置 Ctrl+,</source>
        <translation>Receive area (Alt+R), menu Shift+F10, More Settings Ctrl+,</translation>
    </message>
    <message>
        <source>发送 (发送框中按 Ctrl+Enter)</source>
        <translation>Send (Ctrl+Enter in the send box)</translation>
    </message>
    <message>
        <source>按 Enter 发送本条指令</source>
        <translation>Press Enter to send this command</translation>
    </message>
    <message>
        <source>发送历史：选中一条放回发送框</source>
        <translation>Send history: pick an entry to put it back in the send box</translation>
    </message>
    <message>
        <source>%s 连接中...</source>
        <translation>%s connecting...</translation>
    </message>
    <message>
        <source>复制</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>全选</source>
        <translation>Select All</translation>
    </message>
    <message>
        <source>查找...	Ctrl+F</source>
        <translation>Find...	Ctrl+F</translation>
    </message>
    <message>
        <source>暂停滚动</source>
        <translation>Pause Scrolling</translation>
    </message>
    <message>
        <source>实时记录到文件</source>
        <translation>Live Log to File</translation>
    </message>
    <message>
        <source>绘图...	Ctrl+Shift+P</source>
        <translation>Plot...	Ctrl+Shift+P</translation>
    </message>
    <message>
        <source>更多设置...	Ctrl+,</source>
        <translation>More Settings...	Ctrl+,</translation>
    </message>
    <message>
        <source>记录停止:%s</source>
        <translation>Log ended: %s</translation>
    </message>
    <message>
        <source>保存成功!</source>
        <translation>Saved!</translation>
    </message>
    <message>
        <source>重置成功!</source>
        <translation>Reset done!</translation>
    </message>
    <message>
        <source>接收区 (Alt+R)，已暂停滚动</source>
        <translation>Receive area (Alt+R), scrolling paused</translation>
    </message>
    <message>
        <source>接收区 (Alt+R)</source>
        <translation>Receive area (Alt+R)</translation>
    </message>
    <message>
        <source>运行脚本...	Ctrl+Shift+L</source>
        <translation>Run Script...	Ctrl+Shift+L</translation>
    </message>
    <message>
        <source>停止脚本	Ctrl+Shift+K</source>
        <translation>Stop Script	Ctrl+Shift+K</translation>
    </message>
    <message>
        <source>发送文件...	Ctrl+Shift+F</source>
        <translation>Send File...	Ctrl+Shift+F</translation>
    </message>
    <message>
        <source>接收文件...	Ctrl+Shift+R</source>
        <translation>Receive File...	Ctrl+Shift+R</translation>
    </message>
    <message>
        <source>取消传输	Esc</source>
        <translation>Cancel Transfer	Esc</translation>
    </message>
    <message>
        <source>剪切</source>
        <translation>Cut</translation>
    </message>
    <message>
        <source>粘贴</source>
        <translation>Paste</translation>
    </message>
    <message>
        <source>发送 BREAK（%d ms）	Ctrl+B</source>
        <translation>Send BREAK (%d ms)	Ctrl+B</translation>
    </message>
    <message>
        <source>复位设备（%s 拉低 %d ms）	Ctrl+Shift+B</source>
        <translation>Reset Device (%s low %d ms)	Ctrl+Shift+B</translation>
    </message>
    <message>
        <source>请首先打开串口</source>
        <translation>Open the port first</translation>
    </message>
</context>
<context>
    <name>CKivernSettings</name>
    <message>
        <source>settings.json 无法使用，
更改不会保存。</source>
        <translation>settings.json not usable:
changes will not be saved.</translation>
    </message>
    <message>
        <source>settings.json 无法写入，
更改不会保存。</source>
        <translation>settings.json not writable:
changes will not be saved.</translation>
    </message>
</context>
<context>
    <name>CLineSignals</name>
    <message>
        <source>串口未打开</source>
        <translation>Port not open</translation>
    </message>
    <message>
        <source>上个信号未结束</source>
        <translation>Last signal not over</translation>
    </message>
    <message>
        <source>端口不支持 BREAK</source>
        <translation>Port has no BREAK</translation>
    </message>
    <message>
        <source>BREAK 失败:%lu</source>
        <translation>BREAK failed: %lu</translation>
    </message>
    <message>
        <source>发送 BREAK %dms</source>
        <translation>Sending BREAK %dms</translation>
    </message>
    <message>
        <source>无控制线，不能复位</source>
        <translation>No lines to reset</translation>
    </message>
    <message>
        <source>RTS 由流控占用</source>
        <translation>RTS taken by flow ctl</translation>
    </message>
    <message>
        <source>复位失败:%s</source>
        <translation>Reset failed: %s</translation>
    </message>
    <message>
        <source>复位 %s %dms</source>
        <translation>Reset %s %dms</translation>
    </message>
    <message>
        <source>BREAK 未能结束</source>
        <translation>BREAK did not end</translation>
    </message>
    <message>
        <source>BREAK %dms 完成</source>
        <translation>BREAK %dms done</translation>
    </message>
    <message>
        <source>控制线未能恢复</source>
        <translation>Lines not restored</translation>
    </message>
    <message>
        <source>已复位 %s %dms</source>
        <translation>Reset %s %dms done</translation>
    </message>
</context>
<context>
    <name>CLiveLog</name>
    <message>
        <source>磁盘已满</source>
        <translation>disk full</translation>
    </message>
    <message>
        <source>文件已删除</source>
        <translation>file deleted</translation>
    </message>
    <message>
        <source>写入失败</source>
        <translation>write failed</translation>
    </message>
</context>
<context>
    <name>CModemLines</name>
    <message>
        <source>输入线</source>
        <translation>Input lines</translation>
    </message>
    <message>
        <source>控制线不可用</source>
        <translation>No modem lines</translation>
    </message>
    <message>
        <source>输入线：控制线不可用</source>
        <translation>Input lines: no modem lines</translation>
    </message>
    <message>
        <source>开</source>
        <translation>on</translation>
    </message>
    <message>
        <source>关</source>
        <translation>off</translation>
    </message>
    <message>
        <source>输入线：CTS %s，DSR %s，DCD %s，RI %s</source>
        <translation>Input lines: CTS %s, DSR %s, DCD %s, RI %s</translation>
    </message>
</context>
<context>
    <name>CReconnect</name>
    <message>
        <source>%s 等待重连...</source>
        <translation>%s awaiting replug...</translation>
    </message>
</context>
<context>
    <name>CRxColors</name>
    <message>
        <source>解析 ANSI 颜色</source>
        <translation>ANSI Colours</translation>
    </message>
</context>
<context>
    <name>CScriptRunner</name>
    <message>
        <source>Lua 脚本 (*.lua)|*.lua|所有文件 (*)|*||</source>
        <translation>Lua Scripts (*.lua)|*.lua|All Files (*)|*||</translation>
    </message>
    <message>
        <source>脚本运行中: %s</source>
        <translation>Script running: %s</translation>
    </message>
    <message>
        <source>脚本已停止: %s</source>
        <translation>Script stopped: %s</translation>
    </message>
    <message>
        <source>脚本出错: %s</source>
        <translation>Script error: %s</translation>
    </message>
    <message>
        <source>脚本结束: %s (%d)</source>
        <translation>Script ended: %s (%d)</translation>
    </message>
</context>
<context>
    <name>CSendFraming</name>
    <message>
        <source>第%lld个字符%s不成对</source>
        <translation>Char %lld %s unpaired</translation>
    </message>
    <message>
        <source>第%lld个字符%s无效</source>
        <translation>Char %lld %s invalid</translation>
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
    <name>CTransferJob</name>
    <message>
        <source>对方长时间未接收数据（流控未放行？）</source>
        <translation>the other side took no data for a long time (flow control holding?)</translation>
    </message>
    <message>
        <source>错误 %lu</source>
        <translation>error %lu</translation>
    </message>
    <message>
        <source>写入串口失败：</source>
        <translation>Writing to the port failed: </translation>
    </message>
</context>
<context>
    <name>CTransferProgram</name>
    <message>
        <source>找不到程序 </source>
        <translation>Program not found: </translation>
    </message>
    <message>
        <source>程序被信号 %d 结束</source>
        <translation>The program was ended by signal %d</translation>
    </message>
    <message>
        <source>程序返回 %d</source>
        <translation>The program returned %d</translation>
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
    <message>
        <source>关闭串口</source>
        <translation>Close port</translation>
    </message>
</context>
<context>
    <name>Layer</name>
    <message>
        <source>发生了未知错误。</source>
        <translation>An unknown error occurred.</translation>
    </message>
    <message>
        <source>未知文件</source>
        <translation>an unknown file</translation>
    </message>
    <message>
        <source>找不到 %s。</source>
        <translation>Cannot find %s.</translation>
    </message>
    <message>
        <source>%s 的路径无效。</source>
        <translation>The path of %s is not valid.</translation>
    </message>
    <message>
        <source>打开的文件太多，无法打开 %s。</source>
        <translation>Too many open files to open %s.</translation>
    </message>
    <message>
        <source>拒绝访问 %s。</source>
        <translation>Access to %s was denied.</translation>
    </message>
    <message>
        <source>对 %s 使用了无效的文件句柄。</source>
        <translation>An invalid file handle was used with %s.</translation>
    </message>
    <message>
        <source>目录已满，无法创建 %s。</source>
        <translation>The folder is full; %s cannot be created.</translation>
    </message>
    <message>
        <source>在 %s 中定位失败。</source>
        <translation>Seeking in %s failed.</translation>
    </message>
    <message>
        <source>访问 %s 时发生硬件 I/O 错误。</source>
        <translation>A hardware I/O error occurred while accessing %s.</translation>
    </message>
    <message>
        <source>%s 正被其他程序使用，无法访问。</source>
        <translation>%s is in use by another program and cannot be accessed.</translation>
    </message>
    <message>
        <source>%s 中要锁定的区域已被锁定。</source>
        <translation>The region of %s to lock is already locked.</translation>
    </message>
    <message>
        <source>磁盘已满，无法写入 %s。</source>
        <translation>The disk is full; %s cannot be written.</translation>
    </message>
    <message>
        <source>试图越过 %s 的结尾进行访问。</source>
        <translation>An attempt was made to access past the end of %s.</translation>
    </message>
    <message>
        <source>访问 %s 时发生未知错误。</source>
        <translation>An unknown error occurred while accessing %s.</translation>
    </message>
    <message>
        <source>复制</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>全选</source>
        <translation>Select All</translation>
    </message>
    <message>
        <source>打开</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>另存为</source>
        <translation>Save As</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
</context>
<context>
    <name>OpenFailure</name>
    <message>
        <source>连接被拒绝</source>
        <translation>Connection refused</translation>
    </message>
    <message>
        <source>连接超时</source>
        <translation>Connection timed out</translation>
    </message>
    <message>
        <source>无法解析主机名</source>
        <translation>Host name cannot be resolved</translation>
    </message>
    <message>
        <source>没有这个串口</source>
        <translation>No such port</translation>
    </message>
    <message>
        <source>无法到达主机</source>
        <translation>Host unreachable</translation>
    </message>
    <message>
        <source>网络不可达</source>
        <translation>Network unreachable</translation>
    </message>
    <message>
        <source>连接被对方断开</source>
        <translation>Connection closed by the other side</translation>
    </message>
    <message>
        <source>设备读写出错</source>
        <translation>Device I/O error</translation>
    </message>
    <message>
        <source>没有访问权限</source>
        <translation>Permission denied</translation>
    </message>
    <message>
        <source>不是串口设备</source>
        <translation>Not a serial device</translation>
    </message>
    <message>
        <source>连接已取消</source>
        <translation>Connection cancelled</translation>
    </message>
    <message>
        <source>打开失败 (错误代码 %lu)</source>
        <translation>Open failed (error code %lu)</translation>
    </message>
    <message>
        <source>串口%d  没有访问权限!</source>
        <translation>COM%d  permission denied!</translation>
    </message>
    <message>
        <source>
设备 %s 不允许当前用户读写</source>
        <translation>
Device %s may not be read or written by the current user</translation>
    </message>
    <message>
        <source>
设备 %s 属于 dialout 组
请将当前用户加入 dialout 组后重新登录:</source>
        <translation>
Device %s belongs to the dialout group
Add the current user to dialout and log in again:</translation>
    </message>
    <message>
        <source>
设备 %s 属于 %s 组, 当前用户不能读写</source>
        <translation>
Device %s belongs to the %s group; the current user cannot read or write it</translation>
    </message>
    <message>
        <source>串口%d  已经被其他应用程序所占用!
请选择其它的串口</source>
        <translation>COM%d  is in use by another application!
Please choose another port</translation>
    </message>
    <message>
        <source>%s%s (进程 %lu)</source>
        <translation>%s%s (PID %lu)</translation>
    </message>
    <message>
        <source>
占用程序: </source>
        <translation>
Held by: </translation>
    </message>
    <message>
        <source> 等 %d 个</source>
        <translation> (%d in all)</translation>
    </message>
    <message>
        <source>
占用程序不明, 可用 sudo fuser -v %s 查看</source>
        <translation>
Holder unknown; sudo fuser -v %s shows it</translation>
    </message>
    <message>
        <source>
该串口的设备已不存在 (已拔出?)</source>
        <translation>
This port&apos;s device is gone (unplugged?)</translation>
    </message>
    <message>
        <source>串口%d  无法连接 %s</source>
        <translation>COM%d  cannot connect to %s</translation>
    </message>
    <message>
        <source>串口%d  无法打开 %s</source>
        <translation>COM%d  cannot open %s</translation>
    </message>
    <message>
        <source>串口%d  无法打开</source>
        <translation>COM%d  cannot be opened</translation>
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
<context>
    <name>Plot</name>
    <message>
        <source>超过 16 个通道，其余的已忽略</source>
        <translation>More than 16 channels; the rest are ignored</translation>
    </message>
    <message>
        <source>已暂停</source>
        <translation>Paused</translation>
    </message>
    <message>
        <source>绘图</source>
        <translation>Plot</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>跟随</source>
        <translation>Follow</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>序号</source>
        <translation>Index</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>自动</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>固定</source>
        <translation>Fixed</translation>
    </message>
    <message>
        <source>深色</source>
        <translation>Dark</translation>
    </message>
    <message>
        <source>导出 CSV...</source>
        <translation>Export CSV...</translation>
    </message>
    <message>
        <source>导出 PNG...</source>
        <translation>Export PNG...</translation>
    </message>
    <message>
        <source>暂停/继续 (空格)</source>
        <translation>Pause/resume (Space)</translation>
    </message>
    <message>
        <source>回到最新数据 (滚轮缩放、拖动平移后)</source>
        <translation>Back to the newest data (after wheel zoom or drag)</translation>
    </message>
    <message>
        <source>X轴</source>
        <translation>X axis</translation>
    </message>
    <message>
        <source>Y轴</source>
        <translation>Y axis</translation>
    </message>
    <message>
        <source>历史</source>
        <translation>History</translation>
    </message>
</context>
</TS>
