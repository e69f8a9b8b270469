<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>Dialog</name>
    <message>
        <source>还原(&amp;R)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>最小化(&amp;N)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>最大化(&amp;X)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>关闭(&amp;C)	Alt+F4</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>启用</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>收到的行含有</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>回复</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>延时 (ms)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>收到的一行含有左边的内容时（勾选 Lua 则按 Lua 模式匹配），</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>延时后发送回复。回复按“发送换行”和校验的设置发送；</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>勾选 HEX 时填十六进制字节。</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>确定</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>取消</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>自动应答</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>串口设置</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>波特率：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>数据位：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>校验位：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>停止位：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打开串口</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>串  口：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>流  控：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>接收设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>HEX显示</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>自动换行</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>接收时间</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>发送设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>HEX发送</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>定时发送</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>ms/次</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存接收</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>发送</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>清空接收</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>指令</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>指令框</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>隐藏面板</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>清空历史记录</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>保存</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>重置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quelmar串口调试助手 V1.9   www.quelmar.example </source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>串口工具 1.0 版</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>串口调试终端，适用于 Linux</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>关于串口工具</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>收发</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>数据编码：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>发送换行：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>在接收区显示发送数据</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>校验：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>含文本发送</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>字节序：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>宽松十六进制</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>打开串口时的控制线</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>DTR：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>RTS：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>BREAK 与复位</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>BREAK：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>复位：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>拉低：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>重新连接</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>设备拔出后自动重连，等待</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>秒</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>按路径添加的端口</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>设备路径：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>添加</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>已添加：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>删除</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>接收记录</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>实时记录到文件：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>浏览...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>按开始时间命名（上面填文件夹）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>接收区最多保留：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>MiB（0 表示不限）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>发送历史</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>退出后保留发送历史</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文件传输</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>协议：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>原始发送暂停：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>毫秒，每</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>字节后 (0: 每行后)</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>显示</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>每行时间戳（代替接收时间的 100 ms 规则）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>并显示与上一行相隔的秒数（+0.012）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>十六进制按行显示</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>每行</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>偏移从每段数据（静默或时间戳之后）的首字节算起</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>字体：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>字号：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>像素（默认 14）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>缩放：Ctrl+滚轮，Ctrl+= / Ctrl+-，Ctrl+0 恢复默认</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>颜色与高亮</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>解析 ANSI 颜色（ESC [ … m）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>发送行 (TX&gt;) 颜色：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>高亮关键字...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>收到匹配的行时自动回复</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>自动应答...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>更多设置</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>查找内容：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>下一个</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>上一个</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>区分大小写</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>十六进制（如 41 0D）</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>关闭</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>查找</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>规则：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>文字或表达式：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>正则表达式</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>整行着色</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>颜色：</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>修改</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>示例：ERROR/WARN/OK</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>高亮关键字</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>关于 KIVERN(&amp;A)...</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>更多设置...</source>
        <translation type="unfinished"></translation>
    </message>
</context>
</TS>
